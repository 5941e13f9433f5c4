// The record's fields: LEB128 varints and bytes written into growing sections, read back with
// every read checked against the section's end (docs/recompress.md, "The record").
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "lib/recompress/token_model.h"

namespace uha {
namespace deflate {

class RecordWriter {
 public:
  void Byte(std::uint8_t v) { m_bytes.push_back(v); }
  void Varint(std::uint64_t v);
  void Bytes(const std::uint8_t* data, std::size_t size) { m_bytes.insert(m_bytes.end(), data, data + size); }
  // A section: its size, then its bytes.
  void Section(const RecordWriter& section);
  const std::vector<std::uint8_t>& Data() const { return m_bytes; }
  std::vector<std::uint8_t>& Data() { return m_bytes; }

 private:
  std::vector<std::uint8_t> m_bytes;
};

class RecordReader {
 public:
  RecordReader() = default;
  RecordReader(const std::uint8_t* data, std::size_t size) : m_at(data), m_end(data + size) {}
  // False (and the reader spent) when the section ends first or a varint exceeds `max`.
  bool Byte(std::uint8_t& v);
  bool Varint(std::uint64_t& v, std::uint64_t max);
  bool Bytes(std::size_t size, const std::uint8_t*& data);
  // The next section, as a reader of its own.
  bool Section(RecordReader& section);
  bool Empty() const { return m_at == m_end; }

 private:
  const std::uint8_t* m_at = nullptr;
  const std::uint8_t* m_end = nullptr;
};

// What precedes the sections: format version, the model's parameters (a set's index, or
// kOwnParams and the fields), the stream's CRC, the block count.
struct RecordHead {
  static constexpr std::uint8_t kVersion = 1;
  static constexpr std::uint8_t kOwnParams = 255;
  std::uint8_t param_set = kOwnParams;
  ModelParams params;
  std::uint32_t crc = 0;
  std::uint64_t block_count = 0;
};
void WriteHead(const RecordHead& head, RecordWriter& out);
// False when a field is out of range.
bool ReadHead(RecordReader& in, RecordHead& head);

// How a correction says what the actual token is: one of these, or a match of length
// `byte - kLengthBias` (3..254).
enum CorrectionKind : std::uint8_t {
  kActualLiteral = 0,
  kOtherDistance = 1,  // the predicted length
  kOtherLength = 2,    // the length - 3 follows in a byte
  kLong258 = 3,        // length 258 written with code 284
};
constexpr int kLengthBias = 1;

// CRC-32 (the ISO-HDLC polynomial gzip and zip use), continued from `crc`.
std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size);

}  // namespace deflate
}  // namespace uha
