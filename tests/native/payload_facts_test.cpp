// The payload facts: their bytes, the checks setup.exe makes with them, and the packer measuring
// a real archive for them.
#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>

#include "lib/archive/archive_writer.h"
#include "lib/product/payload_record.h"
#include "uhapack/payload_measure.h"
#include "uhapack/tree_scan.h"

namespace fs = std::filesystem;
using namespace kelvamo;

namespace {

PayloadFacts DistinctFacts() {
  PayloadFacts facts;
  facts.archive_crc32 = 0x11223344;
  facts.extractor_crc32 = 0xA1B2C3D4;
  facts.archive_bytes = 0x0102030405060708ull;
  facts.extractor_bytes = 111104;
  facts.unpacked_bytes = 0xFFFFFFFF00000001ull;
  facts.expanded_bytes = 42;
  return facts;
}

bool SameFacts(const PayloadFacts& a, const PayloadFacts& b) {
  return a.archive_crc32 == b.archive_crc32 && a.extractor_crc32 == b.extractor_crc32 &&
         a.archive_bytes == b.archive_bytes && a.extractor_bytes == b.extractor_bytes &&
         a.unpacked_bytes == b.unpacked_bytes && a.expanded_bytes == b.expanded_bytes;
}

}  // namespace

TEST(PayloadFacts, RecordLayoutAndRefusals) {
  const PayloadFactsRecord record = EncodePayloadFacts(DistinctFacts());
  ASSERT_EQ(record.size(), 44u);
  EXPECT_EQ(std::string(record.begin(), record.begin() + 4), "KPF1");
  EXPECT_EQ(record[4], 0x44);   // little-endian, fields in order
  EXPECT_EQ(record[12], 0x08);
  EXPECT_EQ(record[19], 0x01);
  EXPECT_EQ(record[43], 0x00);
  const auto decoded = DecodePayloadFacts(record.data(), record.size());
  ASSERT_TRUE(decoded);
  EXPECT_TRUE(SameFacts(*decoded, DistinctFacts()));

  EXPECT_FALSE(DecodePayloadFacts(record.data(), 43));
  std::vector<std::uint8_t> longer(record.begin(), record.end());
  longer.push_back(0);
  EXPECT_FALSE(DecodePayloadFacts(longer.data(), longer.size()));
  PayloadFactsRecord badMagic = record;
  badMagic[3] = '2';
  EXPECT_FALSE(DecodePayloadFacts(badMagic.data(), badMagic.size()));
  EXPECT_FALSE(DecodePayloadFacts(nullptr, 44));
  EXPECT_EQ(PayloadCrc32("123456789", 9), 0xCBF43926u);  // the CRC-32 others can check it with
}

TEST(PayloadFacts, EntriesTheCompletionExpands) {
  const struct {
    const char* name;
    bool expanded;
  } cases[] = {
      {"jre/lib/rt.jar.pack.gz", true},
      {"jre/lib/ext/localedata.jar.pack.gz", true},
      {"JRE/Lib/Charsets.JAR.PACK.GZ", true},        // the file search ignores case
      {"jre/lib/.pack.gz", true},                    // "*" matches nothing too
      {"jre/lib/old.pack.gz/inner.jar.pack.gz", true},  // the search enters such folders
      {"jre/lib/fonts/a.pack.gz", false},            // other folders are not searched
      {"jre/lib/ext/deeper/a.pack.gz", false},
      {"jre/bin/a.pack.gz", false},
      {"a.pack.gz", false},
      {"jre/lib/rt.jar.pack", false},
      {"jre/lib/rt.jar.gz", false},
      {"jre/lib/", false},
      {"xjre/lib/rt.jar.pack.gz", false},
  };
  for (const auto& c : cases) EXPECT_EQ(ExpandedAtCompletion(c.name), c.expanded) << c.name;
}

namespace {

std::string Gzip(const std::string& plain) {
  z_stream stream = {};
  deflateInit2(&stream, 9, Z_DEFLATED, 16 + MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, plain.size()) + 64, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(plain.data()));
  stream.avail_in = static_cast<uInt>(plain.size());
  stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
  stream.avail_out = static_cast<uInt>(out.size());
  EXPECT_EQ(deflate(&stream, Z_FINISH), Z_STREAM_END);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

class MeasureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/payload_facts_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    base_ = tmpl;
  }
  void TearDown() override { fs::remove_all(base_); }

  void Write(const std::string& name, const std::string& bytes) {
    const fs::path path = base_ / "tree" / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
    written_ += bytes.size();
  }
  std::string Pack() {
    std::vector<uha::PackInput> inputs;
    EXPECT_TRUE(uha::ScanTree((base_ / "tree").string(), 0, inputs).ok());
    uha::PackSummary summary;
    const std::string archive = (base_ / "a.uha").string();
    EXPECT_TRUE(uha::WriteArchive(std::move(inputs), archive, {}, summary).ok());
    return archive;
  }

  fs::path base_;
  std::uint64_t written_ = 0;
};

}  // namespace

TEST_F(MeasureTest, SizesAndChecksumsOfAPackedTree) {
  const std::string rt(300000, 'r'), ext(70000, 'e'), other(5000, 'o');
  Write("kelvamo.exe", std::string(12345, 'k'));
  Write("jre/lib/rt.jar.pack.gz", Gzip(rt));
  // Two gzip members one after the other unpack as one library.
  Write("jre/lib/ext/ext.jar.pack.gz", Gzip(ext.substr(0, 1000)) + Gzip(ext.substr(1000)));
  Write("jre/lib/fonts/skip.pack.gz", Gzip(other));  // in no folder the completion searches
  Write("extractor.exe", "MZ extractor");
  const std::string archive = Pack();

  PayloadFacts facts;
  ASSERT_TRUE(
      uha::MeasurePayload(archive, (base_ / "tree/extractor.exe").string(), facts).ok());
  std::ifstream in(archive, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(facts.archive_bytes, bytes.size());
  EXPECT_EQ(facts.archive_crc32, PayloadCrc32(bytes.data(), bytes.size()));
  EXPECT_EQ(facts.extractor_bytes, 12u);
  EXPECT_EQ(facts.extractor_crc32, PayloadCrc32("MZ extractor", 12));
  EXPECT_EQ(facts.unpacked_bytes, written_);
  EXPECT_EQ(facts.expanded_bytes, rt.size() + ext.size());
}

TEST_F(MeasureTest, ALibraryThatIsNotGzipOrAMissingFileFails) {
  std::string noise(1000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 2654435761u) >> 13);
  Write("jre/lib/rt.jar.pack.gz", Gzip(noise).substr(0, 100));
  const std::string archive = Pack();
  PayloadFacts facts;
  EXPECT_FALSE(uha::MeasurePayload(archive, archive, facts).ok()) << "cut short";
  EXPECT_FALSE(uha::MeasurePayload((base_ / "none.uha").string(), archive, facts).ok());
  EXPECT_FALSE(uha::MeasurePayload(archive, (base_ / "none.exe").string(), facts).ok());
}
