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
#include "tests/common/zlib_deflate.h"
#include "lib/archive/deflate_scan.h"
#include "lib/archive/le_bytes.h"
#include "lib/archive/memory_source.h"
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
           Zip({{"META-INF/MANIFEST.MF", ClassLike(300, 30), 6, true},
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
  const Bytes data = ClassLike(100000, 60);
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
      {"cut short", cut},
      {"record cut short", trailing},
  };
  for (const auto& [what, recipe] : cases) {
    const Status st = Extract(RecipeArchive(recipe, original));
    EXPECT_FALSE(st.ok()) << what;
    EXPECT_FALSE(fs::exists(base_ / "out" / "f.bin")) << what;
  }
}
