// The archive format end to end: packing real folder trees, extracting them again, and refusing
// every kind of damaged or hostile archive without writing outside the target folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <random>

#include "lib/archive/archive_writer.h"
#include "lib/archive/block_compressor.h"
#include "lib/archive/entry_name.h"
#include "lib/archive/made_folders.h"
#include "lib/archive/memory_source.h"
#include "uhapack/posix_sink.h"
#include "uhapack/tree_scan.h"

namespace fs = std::filesystem;
using namespace uha;

namespace {

class Quiet : public ExtractProgress {
 public:
  void OnEntry(const Entry&, std::uint64_t, std::uint64_t) override { ++entries; }
  void OnBytes(std::uint64_t done, std::uint64_t total) override {
    EXPECT_LE(done, total);
    EXPECT_GE(done, last);
    last = done;
  }
  int entries = 0;
  std::uint64_t last = 0;
};

std::vector<std::uint8_t> ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

std::vector<std::uint8_t> Text(const std::string& s) { return {s.begin(), s.end()}; }

// Compressible but not trivial: words with noise, like real program data.
std::vector<std::uint8_t> MixedData(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  static const char* kWords[] = {"java/lang/", "Object", "String", "init", "\x00\x01", "kelvamo"};
  std::vector<std::uint8_t> out;
  while (out.size() < size) {
    const std::string w = kWords[rng() % 6];
    out.insert(out.end(), w.begin(), w.end());
    out.push_back(static_cast<std::uint8_t>(rng()));
  }
  out.resize(size);
  return out;
}

class ArchiveTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/uha_test_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    base_ = tmpl;
    fs::create_directories(base_ / "in");
    fs::create_directories(base_ / "out");
  }
  void TearDown() override {
    std::error_code ec;
    for (auto& e : fs::recursive_directory_iterator(base_, ec)) chmod(e.path().c_str(), 0755);
    fs::remove_all(base_, ec);
  }

  std::vector<std::uint8_t> Pack(std::uint64_t split_above = PackOptions{}.split_above) {
    std::vector<PackInput> inputs;
    Status st = ScanTree((base_ / "in").string(), 1700000000, inputs);
    EXPECT_TRUE(st.ok()) << st.error;
    PackSummary summary;
    st = WriteArchive(inputs, (base_ / "a.uha").string(), PackOptions{1, false, split_above},
                      summary);
    EXPECT_TRUE(st.ok()) << st.error;
    return ReadAll(base_ / "a.uha");
  }

  // Extracts as the programs do, with a second lane (archives of one block use only the first).
  Status Extract(const std::vector<std::uint8_t>& archive, ExtractSink* sink = nullptr) {
    progress_ = {};
    second_progress_ = {};
    MemorySource source(archive.data(), archive.size()), second(archive.data(), archive.size());
    PosixSink posix((base_ / "out").string()), second_posix((base_ / "out").string());
    SecondLane lane{second, second_posix, second_progress_};
    return ExtractArchive(source, sink ? *sink : posix, progress_, sink ? nullptr : &lane);
  }

  // Every file below `dir`, by relative name.
  std::map<std::string, std::vector<std::uint8_t>> Files(const fs::path& dir) {
    std::map<std::string, std::vector<std::uint8_t>> files;
    for (auto& e : fs::recursive_directory_iterator(dir)) {
      const std::string rel = e.path().lexically_relative(dir).generic_string();
      files[rel + (e.is_directory() ? "/" : "")] =
          e.is_directory() ? std::vector<std::uint8_t>{} : ReadAll(e.path());
    }
    return files;
  }

  fs::path base_;
  Quiet progress_, second_progress_;
};

// Rewrites the table of a valid archive and puts the checksums right again, so only the lie is
// left.
std::vector<std::uint8_t> Retable(const std::vector<std::uint8_t>& archive,
                                  const std::function<void(Table&)>& edit) {
  MemorySource source(archive.data(), archive.size());
  Table table;
  EXPECT_TRUE(ReadTable(source, table).ok());
  Header h;
  EXPECT_TRUE(DecodeHeader(archive.data(), h).ok());
  edit(table);
  const std::vector<std::uint8_t> bytes = EncodeTable(table);
  std::vector<std::uint8_t> packed;
  EXPECT_TRUE(PackTable(bytes, packed).ok());
  const std::size_t data_start = kHeaderSize + h.table_packed_size;
  Header out = h;
  out.entry_count = static_cast<std::uint32_t>(table.entries.size());
  out.table_size = static_cast<std::uint32_t>(bytes.size());
  out.table_packed_size = static_cast<std::uint32_t>(packed.size());
  out.table_crc32 = Crc32(bytes.data(), bytes.size());
  out.archive_size = h.archive_size - h.table_packed_size + packed.size();
  std::vector<std::uint8_t> result(kHeaderSize);
  EncodeHeader(out, result.data());
  result.insert(result.end(), packed.begin(), packed.end());
  result.insert(result.end(), archive.begin() + data_start, archive.end());
  return result;
}

}  // namespace

TEST_F(ArchiveTest, RoundTripKeepsEveryFileNameTimeAndFlag) {
  std::string deep = "deep";
  for (int i = 0; i < 30; ++i) deep += "/level" + std::to_string(i);
  WriteAll(base_ / "in" / "empty.txt", {});
  WriteAll(base_ / "in" / deep / "bottom.class", Text("cafebabe"));
  WriteAll(base_ / "in" / "文档" / "说明 书.txt", Text("中文内容"));
  WriteAll(base_ / "in" / "lib" / "large.bin", MixedData(12u << 20, 1));
  WriteAll(base_ / "in" / "lib" / "same1.bin", MixedData(4096, 2));
  WriteAll(base_ / "in" / "lib" / "same2.bin", MixedData(4096, 2));
  WriteAll(base_ / "in" / "readonly.cfg", Text("x=1"));
  chmod((base_ / "in" / "readonly.cfg").c_str(), 0444);
  fs::create_directories(base_ / "in" / "empty folder");
  fs::create_directories(base_ / "in" / "bin");
  fs::copy_file("/bin/true", base_ / "in" / "bin" / "tool");

  const std::vector<std::uint8_t> archive = Pack();
  const Status st = Extract(archive);
  ASSERT_TRUE(st.ok()) << st.error;
  EXPECT_EQ(Files(base_ / "in"), Files(base_ / "out"));
  EXPECT_LT(archive.size(), (12u << 20) / 2);

  struct stat ro, deep_file;
  ASSERT_EQ(stat((base_ / "out" / "readonly.cfg").c_str(), &ro), 0);
  EXPECT_EQ(ro.st_mode & 0222, 0u);
  ASSERT_EQ(stat((base_ / "out" / deep / "bottom.class").c_str(), &deep_file), 0);
  EXPECT_EQ(deep_file.st_mtime, 1700000000);

  // Extracting again over the same files, read-only one included, answers yes to everything; a
  // link planted where a file goes is replaced, not followed out of the folder.
  WriteAll(base_ / "outside.txt", Text("keep"));
  fs::remove(base_ / "out" / "empty.txt");
  fs::create_symlink(base_ / "outside.txt", base_ / "out" / "empty.txt");
  const Status again = Extract(archive);
  EXPECT_TRUE(again.ok()) << again.error;
  EXPECT_EQ(ReadAll(base_ / "outside.txt"), Text("keep"));
  EXPECT_FALSE(fs::is_symlink(base_ / "out" / "empty.txt"));
}

TEST_F(ArchiveTest, PackingIsReproducibleAndSeparatesX86Code) {
  WriteAll(base_ / "in" / "b.txt", Text("bbb"));
  WriteAll(base_ / "in" / "a.txt", Text("aaa"));
  fs::copy_file("/bin/true", base_ / "in" / "tool");
  const std::vector<std::uint8_t> first = Pack();
  EXPECT_EQ(first, Pack());

  MemorySource source(first.data(), first.size());
  Table table;
  ASSERT_TRUE(ReadTable(source, table).ok());
  ASSERT_EQ(table.blocks.size(), 2u);
  EXPECT_EQ(table.blocks[0].filter, Filter::kLzma2);
  // x86 code is converted file by file, never over the whole block.
  EXPECT_EQ(table.blocks[1].filter, Filter::kLzma2);
  ASSERT_EQ(table.entries.size(), 3u);
  EXPECT_EQ(table.entries[0].name, "a.txt");
  EXPECT_EQ(table.entries[2].name, "tool");
}

TEST_F(ArchiveTest, TwoLanesWriteWhatOneWritesAndStopAtTheFirstFault) {
  for (int i = 0; i < 6; ++i) {
    WriteAll(base_ / "in" / ("part" + std::to_string(i) + ".txt"), MixedData(200000, 10 + i));
  }
  fs::copy_file("/bin/true", base_ / "in" / "tool");
  const std::vector<std::uint8_t> good = Pack(500000);
  MemorySource source(good.data(), good.size());
  Table table;
  ASSERT_TRUE(ReadTable(source, table).ok());
  // The text is cut in two blocks of equal work, the program has its own: three blocks.
  ASSERT_EQ(table.blocks.size(), 3u);
  EXPECT_EQ(table.blocks[0].entry_count, 3u);
  EXPECT_EQ(table.blocks[1].entry_count, 3u);
  Status st = Extract(good);
  ASSERT_TRUE(st.ok()) << st.error;
  EXPECT_EQ(Files(base_ / "in"), Files(base_ / "out"));
  // Each entry is told to one lane's progress, once (the extractor's closing count adds them).
  EXPECT_EQ(progress_.entries + second_progress_.entries, static_cast<int>(table.entries.size()));

  // A second reader that cannot seek (a pipe, say) leaves the work to the first lane.
  struct Unseekable : MemorySource {
    using MemorySource::MemorySource;
    bool Seek(std::uint64_t) override { return false; }
  };
  fs::remove_all(base_ / "out");
  fs::create_directories(base_ / "out");
  {
    MemorySource first(good.data(), good.size());
    Unseekable second(good.data(), good.size());
    PosixSink sink((base_ / "out").string()), second_sink((base_ / "out").string());
    Quiet second_progress;
    SecondLane lane{second, second_sink, second_progress};
    progress_ = {};
    st = ExtractArchive(first, sink, progress_, &lane);
    ASSERT_TRUE(st.ok()) << st.error;
    EXPECT_EQ(second_progress.entries, 0);
  }
  EXPECT_EQ(Files(base_ / "in"), Files(base_ / "out"));

  // Two blocks whose dictionaries would not fit in memory together are decoded one after the
  // other by the first lane (here they declare more data than they hold, which then fails).
  const std::vector<std::uint8_t> wide = Retable(good, [](Table& t) {
    std::size_t last = t.entries.size();
    for (std::size_t b = t.blocks.size(); b-- > 0;) {
      Entry& e = t.entries[last - 1];
      e.size = e.stored_size = e.size + (40u << 20);
      t.blocks[b].unpacked_size += 40u << 20;
      t.blocks[b].dict_size = 40u << 20;
      last -= t.blocks[b].entry_count;
    }
  });
  fs::remove_all(base_ / "out");
  fs::create_directories(base_ / "out");
  EXPECT_FALSE(Extract(wide).ok());
  EXPECT_EQ(second_progress_.entries, 0);

  // Damage in the second block, decoded beside the first: its error is the one reported, and no
  // file of either lane is left half-written.
  Header h;
  ASSERT_TRUE(DecodeHeader(good.data(), h).ok());
  std::vector<std::uint8_t> bad = good;
  bad[kHeaderSize + h.table_packed_size + table.blocks[0].packed_size +
      table.blocks[1].packed_size / 2] ^= 0x55;
  fs::remove_all(base_ / "out");
  fs::create_directories(base_ / "out");
  st = Extract(bad);
  EXPECT_NE(st.error.find("damaged archive"), std::string::npos) << st.error;
  for (const auto& [name, bytes] : Files(base_ / "out")) {
    EXPECT_EQ(bytes, ReadAll(base_ / "in" / name)) << name;
  }
}

TEST(PieceCounts, OnlyABlockLargerThanACoresShareIsCut) {
  constexpr std::uint64_t MiB = 1u << 20;
  const struct {
    std::vector<std::uint64_t> sizes;
    std::vector<std::uint32_t> counts;
  } cases[] = {
      {{100 * MiB}, {2}},                    // one large file alone: both cores take half
      {{50 * MiB, 50 * MiB}, {1, 1}},        // already even
      {{60 * MiB, 17 * MiB, 26 * MiB}, {2, 1, 1}},
      {{41 * MiB, 50 * MiB, 22 * MiB, 20 * MiB}, {1, 1, 1, 1}},
      {{6 * MiB}, {1}},                      // halves would be too small to pay
      {{8 * MiB}, {2}},
      {{0, 3}, {1, 1}},
  };
  for (const auto& c : cases) EXPECT_EQ(PieceCounts(c.sizes, 2), c.counts) << c.sizes[0];
}

TEST_F(ArchiveTest, ABlockCutInPiecesExtractsWholeAndMatchesAcrossTheCut) {
  // One block of 10 MiB: two pieces. It repeats 512 KiB of noise, so the second piece costs next
  // to nothing only when it finds its matches in the dictionary it was given; one file spans the
  // cut.
  std::mt19937 rng(7);
  std::vector<std::uint8_t> whole(10u << 20);
  for (std::size_t i = 0; i < whole.size(); ++i)
    whole[i] = i < (512u << 10) ? static_cast<std::uint8_t>(rng()) : whole[i - (512u << 10)];
  const std::size_t spans_cut = 4u << 20;
  WriteAll(base_ / "in" / "a.dat", {whole.begin(), whole.begin() + spans_cut});
  WriteAll(base_ / "in" / "b.dat", {whole.begin() + spans_cut, whole.end() - 1000});
  WriteAll(base_ / "in" / "c.dat", {whole.end() - 1000, whole.end()});
  const std::vector<std::uint8_t> archive = Pack(std::uint64_t{1} << 30);
  EXPECT_EQ(archive, Pack(std::uint64_t{1} << 30));
  MemorySource source(archive.data(), archive.size());
  Table table;
  ASSERT_TRUE(ReadTable(source, table).ok());
  ASSERT_EQ(table.blocks.size(), 1u);
  EXPECT_LT(table.blocks[0].packed_size, 600u << 10);
  const Status st = Extract(archive);
  ASSERT_TRUE(st.ok()) << st.error;
  EXPECT_EQ(Files(base_ / "in"), Files(base_ / "out"));
}

TEST(EntryName, AcceptsOrdinaryNamesAndRefusesEscapesDevicesAndStreams) {
  const struct {
    const char* name;
    bool ok;
  } cases[] = {
      {"kelvamo.exe", true},
      {"jre/lib/ext/localedata.jar.pack.gz", true},
      {"文档/说明.txt", true},
      {"console/x", true},
      {"con.d/x", false},
      {"com10", true},
      {"..hidden", true},
      {"", false},
      {"/etc/passwd", false},
      {"C:/Windows/x.dll", false},
      {"c:x", false},
      {"../x", false},
      {"a/../../x", false},
      {"a/./b", false},
      {"a//b", false},
      {"a/", false},
      {"a\\..\\b", false},
      {"CON", false},
      {"lib/nul.txt", false},
      {"Com1", false},
      {"LPT9.log", false},
      {"aux ", false},
      {"file.txt:stream", false},
      {"file.txt::$DATA", false},
      {"trailing.", false},
      {"what?", false},
      {"tab\there", false},
      {"\xC3\x28", false},      // broken UTF-8
      {"\xED\xA0\x80", false},  // a surrogate
      {"\xC0\xAF", false},      // overlong "/"
      {"LONG~LMQ.TXT", false},  // 8.3 aliases, as Wine and Windows make them
      {"PROGRA~1", false},
      {"lib/a~1.d", false},
      {"read~me", false},
      {"long~name.txt", true},  // too long in front of the dot for an alias
      {"~$report.docx", true},  // too long behind it
      {"a.b~c", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EntryNameProblem(c.name).empty(), c.ok) << '"' << c.name << '"';
  }
  EXPECT_FALSE(EntryNameProblem(std::string(kMaxNameBytes + 1, 'a')).empty());
}

TEST_F(ArchiveTest, DamagedArchivesFailAndLeaveNoPartialFiles) {
  WriteAll(base_ / "in" / "one.txt", MixedData(300000, 3));
  WriteAll(base_ / "in" / "two.txt", MixedData(200000, 4));
  const std::vector<std::uint8_t> good = Pack();
  const std::size_t data_start = good.size() - 1000;  // well inside the compressed data

  std::vector<std::pair<std::string, std::vector<std::uint8_t>>> cases;
  for (std::size_t cut : {std::size_t{0}, std::size_t{3}, kHeaderSize - 1, kHeaderSize + 10,
                          data_start, good.size() - 1}) {
    cases.push_back({"cut at " + std::to_string(cut), {good.begin(), good.begin() + cut}});
  }
  auto flipped = [&](std::size_t at) {
    std::vector<std::uint8_t> a = good;
    a[at] ^= 0x55;
    return a;
  };
  cases.push_back({"magic", flipped(0)});
  cases.push_back({"header", flipped(20)});
  cases.push_back({"table", flipped(kHeaderSize + 40)});
  cases.push_back({"data", flipped(data_start)});
  cases.push_back({"last byte", flipped(good.size() - 1)});
  std::vector<std::uint8_t> longer = good;
  longer.push_back(0);
  cases.push_back({"trailing byte", longer});
  cases.push_back({"size too large", Retable(good, [](Table& t) {
                     t.entries[0].size += 1;
                     t.entries[0].stored_size += 1;
                     t.blocks[0].unpacked_size += 1;
                   })});
  cases.push_back({"size too small", Retable(good, [](Table& t) {
                     t.entries[0].size -= 1;
                     t.entries[0].stored_size -= 1;
                     t.blocks[0].unpacked_size -= 1;
                   })});
  cases.push_back({"block disagrees", Retable(good, [](Table& t) {
                     t.entries[0].size += 1;
                     t.entries[0].stored_size += 1;
                   })});
  cases.push_back({"stored size", Retable(good, [](Table& t) { t.entries[0].stored_size += 1; })});
  cases.push_back({"packed size", Retable(good, [](Table& t) { t.blocks[0].packed_size -= 1; })});
  cases.push_back({"checksum", Retable(good, [](Table& t) { t.entries[1].crc32 ^= 1; })});
  cases.push_back(
      {"huge dictionary", Retable(good, [](Table& t) { t.blocks[0].dict_size = 0xFFFFFFFF; })});
  cases.push_back({"dictionary past 48 MiB",
                   Retable(good, [](Table& t) { t.blocks[0].dict_size = (48u << 20) + 1; })});
  cases.push_back({"sizes overflow", Retable(good, [](Table& t) {
                     t.entries[0].size = t.entries[0].stored_size = UINT64_MAX;
                     t.blocks[0].unpacked_size = t.entries[1].size - 1;
                   })});

  for (const auto& [what, archive] : cases) {
    fs::remove_all(base_ / "out");
    fs::create_directories(base_ / "out");
    const Status st = Extract(archive);
    EXPECT_FALSE(st.ok()) << what;
    // A file is either complete and checked or not there at all.
    for (const auto& [name, bytes] : Files(base_ / "out")) {
      EXPECT_EQ(bytes, ReadAll(base_ / "in" / name)) << what << ": " << name;
    }
  }
}

TEST_F(ArchiveTest, HostileNamesAreRefusedBeforeAnythingIsWritten) {
  WriteAll(base_ / "in" / "a.txt", Text("first"));
  WriteAll(base_ / "in" / "z.txt", Text("payload"));
  const std::vector<std::uint8_t> good = Pack();
  const char* hostile[] = {"/tmp/evil", "../evil",  "sub/../../evil", "C:/evil", "D:evil",
                           "NUL",       "com1.txt", "z.txt:hidden",   "A.TXT"};
  for (const char* name : hostile) {
    const std::vector<std::uint8_t> bad =
        Retable(good, [&](Table& t) { t.entries[1].name = name; });
    const Status st = Extract(bad);
    EXPECT_FALSE(st.ok()) << name;
    EXPECT_TRUE(fs::is_empty(base_ / "out")) << name;
  }
  EXPECT_FALSE(fs::exists(base_ / "evil"));
  const std::vector<std::uint8_t> file_as_folder =
      Retable(good, [](Table& t) { t.entries[1].name = "a.txt/z.txt"; });
  EXPECT_FALSE(Extract(file_as_folder).ok());
  EXPECT_TRUE(fs::is_empty(base_ / "out"));
}

// A sink that runs out of room after a set number of bytes, like a full disk.
class FullDisk : public PosixSink {
 public:
  FullDisk(std::string root, std::size_t room) : PosixSink(std::move(root)), room_(room) {}
  Status Write(const std::uint8_t* data, std::size_t size) override {
    if (size > room_) return Status::Fail("cannot write: No space left on device");
    room_ -= size;
    return PosixSink::Write(data, size);
  }

 private:
  std::size_t room_;
};

TEST_F(ArchiveTest, WriteFailuresStopTheRunAndRemoveTheUnfinishedFile) {
  WriteAll(base_ / "in" / "a.bin", MixedData(100000, 5));
  WriteAll(base_ / "in" / "b.bin", MixedData(300000, 6));
  const std::vector<std::uint8_t> archive = Pack();

  FullDisk full((base_ / "out").string(), 150000);
  const Status st = Extract(archive, &full);
  EXPECT_NE(st.error.find("No space"), std::string::npos) << st.error;
  EXPECT_TRUE(fs::exists(base_ / "out" / "a.bin"));
  EXPECT_FALSE(fs::exists(base_ / "out" / "b.bin"));

  fs::remove_all(base_ / "out");
  fs::create_directories(base_ / "out" / "b.bin");  // a folder stands where the file goes
  EXPECT_FALSE(Extract(archive).ok());
}

TEST(X86Code, RecognisesPeAndElfProgramsOnly) {
  std::vector<std::uint8_t> pe(0x100);
  pe[0] = 'M', pe[1] = 'Z', pe[0x3C] = 0x80;
  pe[0x80] = 'P', pe[0x81] = 'E', pe[0x84] = 0x4C, pe[0x85] = 0x01;
  EXPECT_TRUE(LooksLikeX86Code(pe.data(), pe.size()));
  pe[0x84] = 0x64, pe[0x85] = 0xAA;  // ARM64
  EXPECT_FALSE(LooksLikeX86Code(pe.data(), pe.size()));
  pe[0x3C] = 0xFF;  // header pointer past the bytes read
  EXPECT_FALSE(LooksLikeX86Code(pe.data(), pe.size()));
  std::vector<std::uint8_t> elf = {0x7F, 'E', 'L', 'F', 1, 1, 1, 0, 0, 0,
                                   0,    0,   0,   0,   0, 0, 2, 0, 3, 0};
  EXPECT_TRUE(LooksLikeX86Code(elf.data(), elf.size()));
  elf[18] = 40;  // ARM
  EXPECT_FALSE(LooksLikeX86Code(elf.data(), elf.size()));
  EXPECT_FALSE(LooksLikeX86Code(elf.data(), 3));
}

TEST(Table, RefusesCountsItsBytesCannotHold) {
  for (const std::uint32_t blocks : {1u, 3u, 0x08000000u}) {
    std::vector<std::uint8_t> bytes(40);
    bytes[5] = 0x10;  // a first block record that passes: 4 KiB dictionary, nothing in it
    Header h;
    h.block_count = blocks;
    h.table_size = static_cast<std::uint32_t>(bytes.size());
    h.table_crc32 = Crc32(bytes.data(), bytes.size());
    Table table;
    EXPECT_FALSE(DecodeTable(h, bytes, table).ok()) << blocks;
  }
}

// Links planted in the target before extraction: nothing is written, replaced or removed through
// them, whether the link stands at a folder of an entry's path or at the entry's own name.
TEST_F(ArchiveTest, LinksInTheTargetAreNeverWrittenThrough) {
  WriteAll(base_ / "in" / "sub" / "a.txt", Text("new a"));
  WriteAll(base_ / "in" / "victim", Text("new victim"));
  WriteAll(base_ / "in" / "shared", Text("new shared"));
  WriteAll(base_ / "in" / "dangling", Text("new dangling"));
  const std::vector<std::uint8_t> archive = Pack();
  fs::create_directories(base_ / "elsewhere");
  WriteAll(base_ / "outside.txt", Text("keep"));
  WriteAll(base_ / "hard.txt", Text("keep"));

  fs::create_directory_symlink(base_ / "elsewhere", base_ / "out" / "sub");
  Status st = Extract(archive);
  EXPECT_NE(st.error.find("link"), std::string::npos) << st.error;
  EXPECT_TRUE(fs::is_empty(base_ / "elsewhere"));

  fs::remove(base_ / "out" / "sub");
  fs::create_symlink(base_ / "outside.txt", base_ / "out" / "victim");
  fs::create_hard_link(base_ / "hard.txt", base_ / "out" / "shared");
  fs::create_symlink(base_ / "nowhere.txt", base_ / "out" / "dangling");
  const std::vector<std::uint8_t> bad_sum = Retable(archive, [](Table& t) {
    for (Entry& e : t.entries) e.crc32 ^= e.name == "victim" ? 1 : 0;
  });
  EXPECT_FALSE(Extract(bad_sum).ok());
  EXPECT_EQ(ReadAll(base_ / "outside.txt"), Text("keep"));
  EXPECT_TRUE(fs::is_symlink(base_ / "out" / "victim"));

  st = Extract(archive);
  ASSERT_TRUE(st.ok()) << st.error;
  EXPECT_EQ(ReadAll(base_ / "outside.txt"), Text("keep"));
  EXPECT_EQ(ReadAll(base_ / "hard.txt"), Text("keep"));
  EXPECT_FALSE(fs::exists(base_ / "nowhere.txt"));
  EXPECT_TRUE(fs::is_empty(base_ / "elsewhere"));
  EXPECT_EQ(Files(base_ / "in"), Files(base_ / "out"));
  for (const char* name : {"victim", "shared", "dangling"}) {
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(base_ / "out" / name))) << name;
  }
}

TEST_F(ArchiveTest, AGoodFileStaysWhenItsReplacementFails) {
  WriteAll(base_ / "in" / "a.txt", Text("from the archive"));
  const std::vector<std::uint8_t> bad = Retable(Pack(), [](Table& t) { t.entries[0].crc32 ^= 1; });
  WriteAll(base_ / "out" / "a.txt", Text("installed before"));
  EXPECT_FALSE(Extract(bad).ok());
  EXPECT_EQ(
      Files(base_ / "out"),
      (std::map<std::string, std::vector<std::uint8_t>>{{"a.txt", Text("installed before")}}));
}

// Each folder is made once, not once for every entry below it: deep trees extract in about the
// time of shallow ones (the old way took some 10 s for this tree, now under 1 s).
TEST_F(ArchiveTest, DeepTreesExtractInTimeLinearInTheirDepth) {
  std::string deep;
  for (int i = 0; i < 500; ++i) deep += i == 0 ? "d" : "/d";
  fs::create_directories(base_ / "in" / deep);
  for (int i = 0; i < 500; ++i) std::ofstream(base_ / "in" / deep / std::to_string(i));
  const std::vector<std::uint8_t> archive = Pack();
  const auto start = std::chrono::steady_clock::now();
  const Status st = Extract(archive);
  const auto took = std::chrono::steady_clock::now() - start;
  ASSERT_TRUE(st.ok()) << st.error;
  EXPECT_LT(took, std::chrono::seconds(5)) << std::chrono::duration<double>(took).count();
  EXPECT_TRUE(fs::exists(base_ / "out" / deep / "499"));
}

TEST(MadeFolders, MakesEachFolderOnceOutermostFirst) {
  MadeFolders folders;
  std::vector<std::string> made;
  auto make = [&](const std::string& f) {
    made.push_back(f);
    return f == "x/bad" ? Status::Fail("no") : Status{};
  };
  EXPECT_TRUE(folders.Ensure("a/b/c", make).ok());
  EXPECT_TRUE(folders.Ensure("a/b/c", make).ok());
  EXPECT_TRUE(folders.Ensure("a/b/d", make).ok());
  EXPECT_TRUE(folders.Ensure("", make).ok());
  EXPECT_FALSE(folders.Ensure("x/bad/y", make).ok());
  EXPECT_FALSE(folders.Ensure("x/bad/y", make).ok());  // a failure is not remembered as made
  EXPECT_EQ(made, (std::vector<std::string>{"a", "a/b", "a/b/c", "a/b/d", "x", "x/bad", "x/bad"}));
  EXPECT_EQ(FolderOf("a/b/c.txt"), "a/b");
  EXPECT_EQ(FolderOf("c.txt"), "");
}

// Windows takes names that differ only in case for one file, beyond A to Z too.
TEST(FoldedName, FoldsAsWindowsComparesNames) {
  const char* same[][2] = {
      {"Kelvamo.EXE", "kelvamo.exe"},
      {"Ä.txt", "ä.txt"},
      {"Σ", "σ"},
      {"Ａ", "ａ"},
      {"ПРИВЕТ", "привет"},
      {"Ő/Ÿ", "ő/ÿ"},
      {"Ǆ", "ǆ"},
      {"Ω", "ω"},
      {"Ĳ", "ĳ"},
      {"Ꙁ", "ꙁ"},
      {"Ⓐ", "ⓐ"},
      {"Ա", "ա"},
  };
  for (const auto& pair : same) EXPECT_EQ(FoldedName(pair[0]), FoldedName(pair[1])) << pair[0];
  const char* apart[][2] = {{"a", "b"}, {"ß", "ss"}, {"文档", "文挡"}, {"𐐀", "𐐨"}, {"A", "Å"}};
  for (const auto& pair : apart) EXPECT_NE(FoldedName(pair[0]), FoldedName(pair[1])) << pair[0];
}

TEST_F(ArchiveTest, NamesWindowsWouldMergeAreRefusedByPackerAndExtractor) {
  WriteAll(base_ / "in" / "Ä.txt", Text("first"));
  WriteAll(base_ / "in" / "ä.txt", Text("second"));
  std::vector<PackInput> inputs;
  ASSERT_TRUE(ScanTree((base_ / "in").string(), 1700000000, inputs).ok());
  PackSummary summary;
  Status st = WriteArchive(inputs, (base_ / "a.uha").string(), PackOptions{1, false}, summary);
  EXPECT_NE(st.error.find("one name on Windows"), std::string::npos) << st.error;
  EXPECT_FALSE(fs::exists(base_ / "a.uha"));

  fs::remove(base_ / "in" / "ä.txt");
  WriteAll(base_ / "in" / "b.txt", Text("second"));
  const std::vector<std::uint8_t> good = Pack();
  for (const char* twins : {"Ä.txt\0ä.txt", "Σ.txt\0σ.txt", "Ａ.txt\0ａ.txt"}) {
    const std::string first = twins, second = twins + first.size() + 1;
    st = Extract(Retable(good, [&](Table& t) {
      t.entries[0].name = first;
      t.entries[1].name = second;
    }));
    EXPECT_NE(st.error.find("one name on Windows"), std::string::npos) << st.error;
    EXPECT_TRUE(fs::is_empty(base_ / "out")) << first;
  }
}

TEST_F(ArchiveTest, AnEmptyTreeIsRefusedByThePackerAndAnEmptyArchiveNamedByTheReaders) {
  PackSummary summary;
  const Status st = WriteArchive({}, (base_ / "a.uha").string(), PackOptions{1, false}, summary);
  EXPECT_NE(st.error.find("nothing to pack"), std::string::npos) << st.error;
  EXPECT_FALSE(fs::exists(base_ / "a.uha"));

  std::vector<std::uint8_t> packed;
  ASSERT_TRUE(PackTable({}, packed).ok());
  Header h;
  h.table_crc32 = Crc32(nullptr, 0);
  h.table_packed_size = static_cast<std::uint32_t>(packed.size());
  h.archive_size = kHeaderSize + packed.size();
  std::vector<std::uint8_t> empty(kHeaderSize);
  EncodeHeader(h, empty.data());
  empty.insert(empty.end(), packed.begin(), packed.end());
  EXPECT_EQ(Extract(empty).error, "empty archive: it holds no entries");
}

TEST_F(ArchiveTest, NamesInMessagesAreEscapedAndTimesBeyondWindowsRefused) {
  WriteAll(base_ / "in" / "a.txt", Text("first"));
  WriteAll(base_ / "in" / "z.txt", Text("payload"));
  const std::vector<std::uint8_t> good = Pack();
  const struct {
    const char* name;
    const char* shown;
  } names[] = {{"\xC3\x28.txt", "\\xC3(.txt"}, {"a\x1B[2J\r\a", "a\\x1B[2J\\x0D\\x07"}};
  for (const auto& n : names) {
    const Status st = Extract(Retable(good, [&](Table& t) { t.entries[1].name = n.name; }));
    EXPECT_NE(st.error.find(n.shown), std::string::npos) << st.error;
    for (const char c : st.error) EXPECT_TRUE(c >= 0x20 && c < 0x7F) << st.error;
  }
  EXPECT_EQ(PrintableName("文档/\xC2\x9B"
                          "1m\x7F"),
            "文档/\\xC2\\x9B1m\\x7F");

  for (const std::uint64_t mtime : {std::uint64_t{1} << 63, UINT64_MAX}) {
    const Status st = Extract(Retable(good, [&](Table& t) { t.entries[1].mtime = mtime; }));
    EXPECT_EQ(st.error, "damaged archive: entry time out of range");
    EXPECT_TRUE(fs::is_empty(base_ / "out"));
  }
  const Status latest = Extract(Retable(good, [](Table& t) { t.entries[1].mtime = kMaxFileTime; }));
  EXPECT_TRUE(latest.ok()) << latest.error;
}
