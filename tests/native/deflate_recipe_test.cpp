// Deflate recompression end to end: containers packed with their streams inflated come back byte
// for byte, streams zlib cannot reproduce are kept as they are, and a recipe that does not give
// the original back is an extraction error that leaves no file behind.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "lib/archive/archive_writer.h"
#include "lib/archive/le_bytes.h"
#include "lib/archive/memory_source.h"
#include "lib/recompress/deflate_scan.h"
#include "tests/common/zlib_deflate.h"
#include "uhapack/posix_sink.h"
#include "uhapack/tree_scan.h"

namespace fs = std::filesystem;
using namespace uha;
using Bytes = std::vector<std::uint8_t>;

namespace {

class Quiet : public ExtractProgress {
  void OnEntry(const Entry&, std::uint64_t, std::uint64_t) override {}
  void OnBytes(std::uint64_t, std::uint64_t) override {}
};

Bytes ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& p, const Bytes& bytes) {
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

// Class-file-like data: repeated identifiers with noise, so every level compresses differently.
Bytes ClassLike(std::size_t size, unsigned seed) {
  static const char* kWords[] = {"java/lang/", "Object", "String", "<init>", "getValue",
                                 "Ljava/util/List;", "kelvamo/app/", "(I)V"};
  std::mt19937 rng(seed);
  Bytes out;
  while (out.size() < size) {
    const std::string w = kWords[rng() % 8];
    out.insert(out.end(), w.begin(), w.end());
    out.push_back(static_cast<std::uint8_t>(rng() % 7));
  }
  out.resize(size);
  return out;
}

Bytes Deflate(const Bytes& data, int level, int window_bits = 15, int mem_level = 8) {
  Bytes out = ZlibDeflate(data, level, -window_bits, mem_level);
  EXPECT_FALSE(out.empty());
  return out;
}

void Le(Bytes& out, std::uint32_t v, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

struct ZipItem {
  ZipItem(std::string n, Bytes d, int l, bool desc = false, Bytes x = {})
      : name(std::move(n)), data(std::move(d)), level(l), descriptor(desc), extra(std::move(x)) {}
  std::string name;
  Bytes data;
  int level;  // 0: stored; negative: deflated by another encoder (a window zlib is not asked)
  bool descriptor;
  Bytes extra;
};

// A zip as jar tools write one: local headers, data, optional data descriptors, central directory.
Bytes Zip(const std::vector<ZipItem>& items) {
  Bytes out, central;
  for (const ZipItem& it : items) {
    const Bytes body = it.level == 0  ? it.data
                       : it.level < 0 ? Deflate(it.data, 9, 10)
                                      : Deflate(it.data, it.level);
    const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, it.data.data(),
                                                               static_cast<uInt>(it.data.size())));
    const std::uint32_t offset = static_cast<std::uint32_t>(out.size());
    const int method = it.level == 0 ? 0 : 8, flags = it.descriptor ? 8 : 0;
    Bytes fixed;
    Le(fixed, 20, 2);
    Le(fixed, flags, 2);
    Le(fixed, method, 2);
    Le(fixed, 0x5A210000, 4);
    for (std::uint32_t v : {crc, static_cast<std::uint32_t>(body.size()),
                            static_cast<std::uint32_t>(it.data.size())})
      Le(fixed, it.descriptor ? 0 : v, 4);
    Le(fixed, static_cast<std::uint32_t>(it.name.size()), 2);
    Le(fixed, static_cast<std::uint32_t>(it.extra.size()), 2);
    Le(out, 0x04034B50, 4);
    out.insert(out.end(), fixed.begin(), fixed.end());
    out.insert(out.end(), it.name.begin(), it.name.end());
    out.insert(out.end(), it.extra.begin(), it.extra.end());
    out.insert(out.end(), body.begin(), body.end());
    if (it.descriptor) {
      Le(out, 0x08074B50, 4);
      Le(out, crc, 4);
      Le(out, static_cast<std::uint32_t>(body.size()), 4);
      Le(out, static_cast<std::uint32_t>(it.data.size()), 4);
    }
    Le(central, 0x02014B50, 4);
    Le(central, 20, 2);
    central.insert(central.end(), fixed.begin(), fixed.end());
    Le(central, 0, 4);  // comment size, disk
    Le(central, 0, 2);
    Le(central, 0, 4);
    Le(central, offset, 4);
    central.insert(central.end(), it.name.begin(), it.name.end());
  }
  const std::uint32_t central_at = static_cast<std::uint32_t>(out.size());
  out.insert(out.end(), central.begin(), central.end());
  Le(out, 0x06054B50, 4);
  Le(out, 0, 4);
  Le(out, static_cast<std::uint32_t>(items.size() * 0x10001), 4);
  Le(out, static_cast<std::uint32_t>(central.size()), 4);
  Le(out, central_at, 4);
  Le(out, 0, 2);
  return out;
}

Bytes Gzip(const Bytes& data, const std::string& name, int level) {
  Bytes out = {0x1F, 0x8B, 8, 8, 0x10, 0x20, 0x30, 0x40, 0, 3};
  out.insert(out.end(), name.begin(), name.end());
  out.push_back(0);
  const Bytes body = Deflate(data, level);
  out.insert(out.end(), body.begin(), body.end());
  Le(out, static_cast<std::uint32_t>(crc32(0, data.data(), static_cast<uInt>(data.size()))), 4);
  Le(out, static_cast<std::uint32_t>(data.size()), 4);
  return out;
}

class RecipeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/uha_recipe_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    base_ = tmpl;
    fs::create_directories(base_ / "in");
  }
  void TearDown() override { fs::remove_all(base_); }

  Bytes Pack() {
    std::vector<PackInput> inputs;
    Status st = ScanTree((base_ / "in").string(), 1700000000, inputs);
    EXPECT_TRUE(st.ok()) << st.error;
    summary_ = {};
    st = WriteArchive(inputs, (base_ / "a.uha").string(), PackOptions{1, false}, summary_);
    EXPECT_TRUE(st.ok()) << st.error;
    return ReadAll(base_ / "a.uha");
  }

  Status Extract(const Bytes& archive) {
    fs::remove_all(base_ / "out");
    fs::create_directories(base_ / "out");
    MemorySource source(archive.data(), archive.size());
    PosixSink sink((base_ / "out").string());
    Quiet quiet;
    return ExtractArchive(source, sink, quiet);
  }

  // Packs and extracts `in`, expecting every file back unchanged.
  void ExpectRoundTrip() {
    const Status st = Extract(Pack());
    ASSERT_TRUE(st.ok()) << st.error;
    for (auto& e : fs::recursive_directory_iterator(base_ / "in")) {
      if (e.is_directory()) continue;
      const fs::path rel = e.path().lexically_relative(base_ / "in");
      EXPECT_EQ(ReadAll(base_ / "out" / rel), ReadAll(e.path())) << rel;
    }
  }

  // An archive whose only file is stored as `recipe` and must come out as `original`.
  Bytes RecipeArchive(const Bytes& recipe, const Bytes& original) {
    fs::remove_all(base_ / "in");
    WriteAll(base_ / "in" / "f.bin", recipe);
    const Bytes plain = Pack();
    MemorySource source(plain.data(), plain.size());
    Table table;
    EXPECT_TRUE(ReadTable(source, table).ok());
    Header h;
    EXPECT_TRUE(DecodeHeader(plain.data(), h).ok());
    Entry& e = table.entries.back();
    e.coding = Coding::kDeflateRecipe;
    e.size = original.size();
    e.crc32 = Crc32(original.data(), original.size());
    const Bytes bytes = EncodeTable(table);
    Bytes packed;
    EXPECT_TRUE(PackTable(bytes, packed).ok());
    Header out = h;
    out.table_size = static_cast<std::uint32_t>(bytes.size());
    out.table_packed_size = static_cast<std::uint32_t>(packed.size());
    out.table_crc32 = Crc32(bytes.data(), bytes.size());
    out.archive_size = h.archive_size - h.table_packed_size + packed.size();
    Bytes result(kHeaderSize);
    EncodeHeader(out, result.data());
    result.insert(result.end(), packed.begin(), packed.end());
    result.insert(result.end(), plain.begin() + kHeaderSize + h.table_packed_size, plain.end());
    return result;
  }

  fs::path base_;
  PackSummary summary_;
};

}  // namespace

TEST_F(RecipeTest, ContainersComeBackByteForByteWithTheirStreamsRebuilt) {
  std::vector<ZipItem> levels;
  for (int level = 1; level <= 9; ++level)
    levels.push_back({"c/L" + std::to_string(level) + ".class", ClassLike(90000, level), level});
  WriteAll(base_ / "in" / "levels.jar", Zip(levels));
  WriteAll(base_ / "in" / "mixed.zip",
           Zip({{"stored.txt", ClassLike(5000, 20), 0},
                {"deflated.txt", ClassLike(7000, 21), 6}}));
  WriteAll(base_ / "in" / "streamed.jar",
           Zip({{"META-INF/MANIFEST.MF", ClassLike(700, 30), 6, true},
                {"a/B.class", ClassLike(20000, 31), 6, true}}));
  WriteAll(base_ / "in" / "extra.jar",
           Zip({{"META-INF/", {}, 0, false, {0xFE, 0xCA, 0, 0}},
                {"a/C.class", ClassLike(15000, 32), 6, false, {0x55, 0x54, 5, 0, 1, 2, 3, 4, 5}}}));
  WriteAll(base_ / "in" / "rt.pack.gz", Gzip(ClassLike(200000, 40), "rt.pack", 9));
  ExpectRoundTrip();
  EXPECT_GT(summary_.deflate.reproduced, 0u);
  EXPECT_EQ(summary_.deflate.kept, 0u);
}

TEST_F(RecipeTest, StreamsZlibDoesNotReproduceAreKeptAsTheyAre) {
  // A record would cost more than the tiny streams save.
  WriteAll(base_ / "in" / "other.jar",
           Zip({{"a.class", ClassLike(50000, 50), -1}, {"b.class", ClassLike(60000, 51), 6},
                {"tiny.txt", {'h', 'i'}, 6}, {"empty", {}, 6}}));
  Bytes truncated = Gzip(ClassLike(70000, 52), "x", 6);
  truncated.resize(truncated.size() / 2);
  WriteAll(base_ / "in" / "cut.gz", truncated);
  Bytes fake = Zip({{"d.class", ClassLike(4000, 53), 6}});
  fake[40] ^= 0xFF;  // a local header followed by something that is not deflate
  WriteAll(base_ / "in" / "fake.zip", fake);
  ExpectRoundTrip();
  EXPECT_GT(summary_.deflate.reproduced, 0u);  // b.class
  EXPECT_GT(summary_.deflate.kept, 0u);        // a.class
}

TEST(FindParams, FindsTheSettingsAStreamWasMadeWith) {
  // Several blocks at either memory level: their token counts name the level to try.
  const Bytes data = ClassLike(200000, 60);
  for (int level : {1, 4, 6, 9}) {
    for (int mem : {8, 9}) {
      DeflateParams p;
      ASSERT_TRUE(FindParams(Deflate(data, level, 15, mem).data(),
                             Deflate(data, level, 15, mem).size(), data, p))
          << level << "/" << mem;
      EXPECT_EQ(Deflate(data, p.level, p.window_bits, p.mem_level), Deflate(data, level, 15, mem));
    }
  }
  DeflateParams p;
  const Bytes narrow = Deflate(data, 6, 10);
  EXPECT_FALSE(FindParams(narrow.data(), narrow.size(), data, p));
}

TEST_F(RecipeTest, RecipesThatDoNotGiveTheOriginalBackAreRefused) {
  const Bytes original = Gzip(ClassLike(80000, 70), "n", 6);
  DeflateStats stats;
  const Bytes good = MakeRecipe(original, stats);
  ASSERT_FALSE(good.empty());
  ASSERT_EQ(good[0], kRecipeRaw);
  // The gzip header as a raw record, then the stream's record: `params` is its level byte.
  const std::size_t params = kRawHeadSize + Get64(good.data() + 1) + 1;
  ASSERT_EQ(good[params - 1], kRecipeDeflate);
  ASSERT_TRUE(Extract(RecipeArchive(good, original)).ok());
  EXPECT_EQ(ReadAll(base_ / "out" / "f.bin"), original);

  auto changed = [&](std::size_t at, std::uint8_t value) {
    Bytes r = good;
    r[at] = value;
    return r;
  };
  Bytes cut = good;
  cut.pop_back();
  Bytes trailing = good;
  trailing.push_back(kRecipeDeflate);
  // A second stream needing a zlib state of other sizes: one file never makes the state anew.
  Bytes resized = good;
  AppendDeflate(resized, {6, 9, 15, 0}, Bytes(600, 'a'), 12);
  const std::pair<const char*, Bytes> cases[] = {
      {"other level", changed(params, 1)},
      {"Huffman codes only", changed(params + 3, 2)},
      {"level 0", changed(params, 0)},
      {"level 10", changed(params, 10)},
      {"memory level 10", changed(params + 1, 10)},
      {"window 16", changed(params + 2, 16)},
      {"window 8", changed(params + 2, 8)},
      {"strategy 5", changed(params + 3, 5)},
      {"deflated size", changed(params + 12, good[params + 12] ^ 1)},
      {"inflated size", changed(params + 4, good[params + 4] ^ 1)},
      {"unknown record", changed(0, 7)},
      {"a record of other sizes", resized},
      {"inflated size under a record's floor", [&] {
         Bytes r = good;
         Put64(r.data() + params + 4, kMinRecordInflated - 1);
         return r;
       }()},
      {"cut short", cut},
      {"record cut short", trailing},
  };
  for (const auto& [what, recipe] : cases) {
    const Status st = Extract(RecipeArchive(recipe, original));
    EXPECT_FALSE(st.ok()) << what;
    EXPECT_FALSE(fs::exists(base_ / "out" / "f.bin")) << what;
  }
}

namespace {

// A program: on such data zlib's choices part from GNU gzip's (on text they often agree).
Bytes Program() { return ReadAll("/bin/ls"); }

// Filtered rows of an RGBA image: smooth gradients with noise, as icons have them.
Bytes ImageRows(int width, int height, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes rows;
  for (int y = 0; y < height; ++y) {
    rows.push_back(static_cast<std::uint8_t>(y % 5));
    for (int x = 0; x < width * 4; ++x)
      rows.push_back(
          static_cast<std::uint8_t>((x * 3 + y * 7) / 5 + (rng() % 13 == 0 ? rng() : 0)));
  }
  return rows;
}

void Be32(Bytes& out, std::uint32_t v) {
  std::uint8_t b[4];
  PutBe32(b, v);
  out.insert(out.end(), b, b + 4);
}

void Chunk(Bytes& png, const char* type, const Bytes& data) {
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  Be32(png, static_cast<std::uint32_t>(data.size()));
  png.insert(png.end(), body.begin(), body.end());
  Be32(png, Crc32(body.data(), body.size()));
}

// A PNG whose zlib stream is cut into IDAT chunks of the given sizes, the last size repeated.
Bytes Png(const Bytes& zlib, const std::vector<std::size_t>& sizes) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Chunk(png, "IHDR", {0, 0, 0, 100, 0, 0, 0, 40, 8, 6, 0, 0, 0});
  std::size_t at = 0;
  for (std::size_t i = 0; at < zlib.size(); ++i) {
    const std::size_t n = std::min(sizes[std::min(i, sizes.size() - 1)], zlib.size() - at);
    Chunk(png, "IDAT", Bytes(zlib.begin() + at, zlib.begin() + at + n));
    at += n;
  }
  Chunk(png, "IEND", {});
  return png;
}

Bytes ZlibStream(const Bytes& rows, int level, int window, int strategy = Z_FILTERED) {
  Bytes z = ZlibDeflate(rows, level, window, 8, strategy);
  EXPECT_FALSE(z.empty());
  return z;
}

}  // namespace

TEST_F(RecipeTest, PngImageDataComesBackChunkForChunk) {
  const Bytes rows = ImageRows(100, 40, 80);
  // libpng's smallest window: zlib is asked for 512 bytes, the header claims 256.
  Bytes narrow = ZlibStream(rows, 6, 9);
  const unsigned level_bits = narrow[1] & 0xE0u;
  narrow[0] = 0x08;
  narrow[1] = static_cast<std::uint8_t>(level_bits | (31 - (0x0800u + level_bits) % 31));
  const Bytes plain = ZlibStream(rows, 6, 15);
  std::size_t divisor = 2;
  while (plain.size() % divisor != 0) ++divisor;
  struct Case {
    const char* name;
    Bytes png;
    bool rebuilt;
  };
  std::vector<Case> cases = {
      {"window 256", Png(narrow, {8192}), true},
      {"one chunk, level 9 default", Png(ZlibStream(rows, 9, 15, Z_DEFAULT_STRATEGY), {1 << 20}),
       true},
      {"chunks of 1000", Png(plain, {1000}), true},
      {"last chunk full", Png(plain, {plain.size() / divisor}), true},
      {"chunks of 1", Png(ZlibStream(rows, 6, 12), {1}), true},
      {"uneven chunks", Png(plain, {1000, 999}), false},
      {"memory level 1", Png(ZlibDeflate(rows, 6, 15, 1, Z_FILTERED), {8192}), false},
      // An even image, inflating to some 900 times its size: costly to rebuild, kept.
      {"even area", Png(ZlibStream(Bytes(160200, 0), 6, 15), {8192}), false},
  };
  for (int window = 9; window <= 15; ++window)
    cases.push_back({"window", Png(ZlibStream(rows, 6, window), {512}), true});
  Bytes bad_adler = ZlibStream(rows, 6, 15);
  bad_adler.back() ^= 1;
  cases.push_back({"wrong Adler-32", Png(bad_adler, {4096}), false});
  for (const Case& c : cases) {
    fs::remove_all(base_ / "in");
    WriteAll(base_ / "in" / "icon.png", c.png);
    ExpectRoundTrip();
    EXPECT_EQ(summary_.deflate.reproduced > 0, c.rebuilt) << c.name;
    EXPECT_EQ(summary_.deflate.kept > 0, !c.rebuilt) << c.name;
  }
}

// Fields no packer writes (a setting changed within range is the extractor's Wine test): each is
// refused before anything large is allocated, and no file is left.
TEST_F(RecipeTest, DeflateAndImageDataRecordsWithFieldsOutOfRangeAreRefused) {
  WriteAll(base_ / "src" / "a", Program());
  ASSERT_EQ(std::system(("cd '" + (base_ / "src").string() + "' && python3 -c 'import gzip,sys;"
                         " sys.stdout.buffer.write(gzip.compress(open(\"a\",\"rb\").read(), 6,"
                         " mtime=0))' > a.gz").c_str()),
            0);
  struct Change {
    const char* what;
    std::size_t offset;
    std::uint32_t value;
    int bytes;
  };
  const struct {
    Bytes original;
    std::uint8_t tag;
    std::vector<Change> changes;
  } records[] = {
      {ReadAll(base_ / "src" / "a.gz"), kRecipeDeflate,
       {{"level 0", 1, 0, 1}, {"level 10", 1, 10, 1}, {"memory level 0", 2, 0, 1},
        {"window 8", 3, 8, 1}, {"strategy 5", 4, 5, 1},
        {"inflated size beyond the recipe", 5, 1u << 30, 4},
        {"inflated size huge", 9, 0xFFFFFFFFu, 4}}},
      {Png(ZlibStream(ImageRows(64, 64, 90), 6, 13), {4000}), kRecipePngIdat,
       {{"chunk size 0", 23, 0, 4}, {"chunk size beyond PNG's", 23, 0x80000000u, 4},
        {"deflated size huge", 13, 0xFFFFFFFFu, 4},
        {"deflated size beyond any entry", 17, 0xFFFFFFFFu, 4}, {"unknown record", 0, 9, 1}}},
  };
  for (const auto& record : records) {
    DeflateStats stats;
    const Bytes good = MakeRecipe(record.original, stats);
    ASSERT_FALSE(good.empty());
    const std::size_t at = kRawHeadSize + Get64(good.data() + 1);  // after the first raw run
    ASSERT_EQ(good[at], record.tag);
    ASSERT_TRUE(Extract(RecipeArchive(good, record.original)).ok());
    for (const Change& change : record.changes) {
      Bytes recipe = good;
      for (int i = 0; i < change.bytes; ++i)
        recipe[at + change.offset + i] = static_cast<std::uint8_t>(change.value >> (8 * i));
      EXPECT_FALSE(Extract(RecipeArchive(recipe, record.original)).ok()) << change.what;
      EXPECT_FALSE(fs::exists(base_ / "out" / "f.bin")) << change.what;
    }
  }
}

// Model records changed on purpose or out of range: each is an error, before anything large is
// allocated, and no file is left.
TEST_F(RecipeTest, ModelRecordsChangedOrOutOfRangeAreRefused) {
  WriteAll(base_ / "src" / "a", Program());
  ASSERT_EQ(std::system(("gzip -n -9 '" + (base_ / "src" / "a").string() + "'").c_str()), 0);
  const Bytes original = ReadAll(base_ / "src" / "a.gz");
  DeflateStats stats;
  const Bytes good = MakeRecipe(original, stats);
  ASSERT_FALSE(good.empty());
  const std::size_t at = kRawHeadSize + Get64(good.data() + 1);  // after the gzip header
  ASSERT_EQ(good[at], kRecipeModel);
  ASSERT_TRUE(Extract(RecipeArchive(good, original)).ok());
  const std::size_t record = Get32(good.data() + at + 17);
  const std::size_t body = at + kModelHeadSize;  // the record's first byte
  auto changed = [&](std::size_t offset, std::uint64_t value, int bytes) {
    Bytes r = good;
    for (int i = 0; i < bytes; ++i) r[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return r;
  };
  Bytes cut = good;
  cut.resize(body + record / 2);
  const std::pair<const char*, Bytes> cases[] = {
      {"a correction changed", changed(body + record - 2, good[body + record - 2] ^ 0x55, 1)},
      {"the record's version", changed(body, 9, 1)},
      {"the trailing bits", changed(body + record - 1, good[body + record - 1] ^ 0x80, 1)},
      {"an inflated byte", changed(body + record + 100, good[body + record + 100] ^ 1, 1)},
      {"record size 0", changed(at + 17, 0, 4)},
      {"record size past the limit", changed(at + 17, kMaxModelRecord + 1, 4)},
      {"record longer than the recipe", changed(at + 17, kMaxModelRecord, 4)},
      {"inflated size under a record's floor", changed(at + 1, 100, 8)},
      {"inflated size past the model's", changed(at + 1, 0xFFFFFFFFu, 4)},
      {"deflated size", changed(at + 9, good[at + 9] ^ 1, 1)},
      {"recipe cut in the record", cut},
  };
  for (const auto& [what, recipe] : cases) {
    fs::remove_all(base_ / "out");
    EXPECT_FALSE(Extract(RecipeArchive(recipe, original)).ok()) << what;
    EXPECT_FALSE(fs::exists(base_ / "out" / "f.bin")) << what;
  }
}

TEST_F(RecipeTest, StreamsOfGnuGzipAndInfoZipAndConvertedProgramsComeBack) {
  const fs::path src = base_ / "src";
  WriteAll(src / "a.class", Program());
  WriteAll(src / "b.txt", ClassLike(300000, 101));
  const std::string dir = (base_ / "in").string();
  for (int level = 1; level <= 9; ++level) {
    const std::string l = std::to_string(level);
    const std::string cmd = "cd '" + src.string() + "' && gzip -n -" + l + " -c a.class > '" + dir +
                            "/a" + l + ".class.gz' && zip -q -X -" + l + " '" + dir + "/z" + l +
                            ".jar' a.class b.txt";
    ASSERT_EQ(std::system(cmd.c_str()), 0) << cmd;
  }
  // A member whose content is larger than any buffer of the extractor.
  Bytes big;
  for (int copy = 0; big.size() < (std::size_t{5} << 20); ++copy) {
    Bytes program = Program();
    program[program.size() / 2] ^= static_cast<std::uint8_t>(copy);
    big.insert(big.end(), program.begin(), program.end());
  }
  WriteAll(src / "big", big);
  ASSERT_EQ(std::system(("gzip -n -9 -c '" + (src / "big").string() + "' > '" + dir + "/big.gz'")
                            .c_str()),
            0);
  fs::copy_file("/bin/true", base_ / "in" / "true");  // a program stored converted beside them
  ExpectRoundTrip();
  EXPECT_EQ(summary_.x86_converted, 1u);
  // zlib makes none of these streams: the model rebuilds them.
  EXPECT_GT(summary_.deflate.modelled, summary_.deflate.reproduced / 2);
  EXPECT_EQ(summary_.deflate.kept, 0u);
}

namespace {

// Random text of two letters: every 3-byte string heads a chain of thousands, so zlib -9 walks
// 4096 entries a byte and rebuilding it takes as long as the encoder did.
Bytes TwoLetters(std::size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes out(size);
  for (std::uint8_t& b : out) b = static_cast<std::uint8_t>('a' + (rng() & 1));
  return out;
}

}  // namespace

TEST_F(RecipeTest, StreamsAskingMoreWorkThanTheArchiveAllowsAreRefusedOrKept) {
  const Bytes data = TwoLetters(400000, 90);
  // A hand-made record at level 9 is refused before zlib spends the work; at level 1 the same
  // bytes come back.
  const Bytes fast = Deflate(data, 1);
  for (const int level : {9, 1}) {
    Bytes recipe;
    AppendDeflate(recipe, DeflateParams{static_cast<std::uint8_t>(level), 8, 15, 0}, data,
                  fast.size());
    const Status st = Extract(RecipeArchive(recipe, fast));
    EXPECT_EQ(st.ok(), level == 1) << level;
    EXPECT_EQ(fs::exists(base_ / "out" / "f.bin"), level == 1) << level;
    if (level == 9) {
      EXPECT_NE(st.error.find("rebuilding work"), std::string::npos) << st.error;
    }
  }
  // The packer stores the costly stream as it is and still rebuilds the cheap one.
  fs::remove_all(base_ / "in");
  const Bytes slow = ZlibDeflate(TwoLetters(200000, 91), 9, 31);
  WriteAll(base_ / "in" / "slow.gz", slow);
  WriteAll(base_ / "in" / "cheap.gz", Gzip(ClassLike(100000, 92), "c", 6));
  ExpectRoundTrip();
  EXPECT_EQ(summary_.deflate.kept, slow.size() - 18);
  EXPECT_GT(summary_.deflate.reproduced, 0u);
}
