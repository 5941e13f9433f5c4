// Varints, checked reads and a table CRC-32 for the deflate record.
#include "lib/recompress/correction_record.h"

namespace uha {
namespace deflate {

void RecordWriter::Varint(std::uint64_t v) {
  while (v >= 0x80) {
    m_bytes.push_back(static_cast<std::uint8_t>(v | 0x80));
    v >>= 7;
  }
  m_bytes.push_back(static_cast<std::uint8_t>(v));
}

void RecordWriter::Section(const RecordWriter& section) {
  Varint(section.m_bytes.size());
  Bytes(section.m_bytes.data(), section.m_bytes.size());
}

bool RecordReader::Byte(std::uint8_t& v) {
  if (m_at == m_end) return false;
  v = *m_at++;
  return true;
}

bool RecordReader::Varint(std::uint64_t& v, std::uint64_t max) {
  v = 0;
  for (int shift = 0; shift < 63; shift += 7) {
    std::uint8_t b;
    if (!Byte(b)) return false;
    v |= static_cast<std::uint64_t>(b & 0x7f) << shift;
    if ((b & 0x80) == 0) {
      if (v <= max) return true;
      break;
    }
  }
  m_at = m_end;
  return false;
}

bool RecordReader::Bytes(std::size_t size, const std::uint8_t*& data) {
  if (size > static_cast<std::size_t>(m_end - m_at)) {
    m_at = m_end;
    return false;
  }
  data = m_at;
  m_at += size;
  return true;
}

bool RecordReader::Section(RecordReader& section) {
  std::uint64_t size;
  const std::uint8_t* data;
  if (!Varint(size, static_cast<std::uint64_t>(m_end - m_at)) || !Bytes(static_cast<std::size_t>(size), data))
    return false;
  section = RecordReader(data, static_cast<std::size_t>(size));
  return true;
}

void WriteHead(const RecordHead& head, RecordWriter& out) {
  out.Byte(RecordHead::kVersion);
  out.Byte(head.param_set);
  if (head.param_set == RecordHead::kOwnParams) {
    const ModelParams& p = head.params;
    out.Byte(p.parser);
    for (std::uint16_t v : {p.good, p.lazy, p.nice, p.chain, p.max_dist}) out.Varint(v);
    out.Byte(p.flags);
  }
  for (int i = 0; i < 4; ++i) out.Byte(static_cast<std::uint8_t>(head.crc >> (8 * i)));
  out.Varint(head.block_count);
}

bool ReadHead(RecordReader& in, RecordHead& head) {
  std::uint8_t version, b;
  if (!in.Byte(version) || version != RecordHead::kVersion || !in.Byte(head.param_set)) return false;
  ModelParams& p = head.params;
  if (head.param_set < kParamSetCount) {
    p = ParamSet(head.param_set);
  } else if (head.param_set == RecordHead::kOwnParams) {
    std::uint64_t v[5];
    if (!in.Byte(p.parser)) return false;
    for (auto& x : v)
      if (!in.Varint(x, 0xffff)) return false;
    p.good = static_cast<std::uint16_t>(v[0]);
    p.lazy = static_cast<std::uint16_t>(v[1]);
    p.nice = static_cast<std::uint16_t>(v[2]);
    p.chain = static_cast<std::uint16_t>(v[3]);
    p.max_dist = static_cast<std::uint16_t>(v[4]);
    if (!in.Byte(p.flags) || !p.Valid()) return false;
  } else {
    return false;
  }
  head.crc = 0;
  for (int i = 0; i < 4; ++i) {
    if (!in.Byte(b)) return false;
    head.crc |= std::uint32_t{b} << (8 * i);
  }
  return in.Varint(head.block_count, ~0ull >> 8);
}

namespace {

struct CrcTable {
  std::uint32_t entry[256] = {};
  constexpr CrcTable() {
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xedb88320u & (0u - (c & 1)));
      entry[i] = c;
    }
  }
};

// Built by the compiler: a table made at run time would need a guard, and the guard the whole
// exception runtime in the extractor.
constexpr CrcTable kCrcTable;

}  // namespace

std::uint32_t Crc32(std::uint32_t crc, const std::uint8_t* data, std::size_t size) {
  crc = ~crc;
  for (std::size_t i = 0; i < size; ++i) crc = kCrcTable.entry[(crc ^ data[i]) & 0xff] ^ (crc >> 8);
  return ~crc;
}

}  // namespace deflate
}  // namespace uha
