// RFC 1951's bit order and its length and distance code tables, shared by the stream parser and
// the rebuild: bits are packed from the least significant end of each byte, Huffman codes go out
// most significant bit first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace uha {
namespace deflate {

constexpr int kLiteralCodes = 288;  // 286 and 287 take part in the fixed code only
constexpr int kDistanceCodes = 32;  // 30 and 31 likewise
constexpr int kLengthCodes = 29;
constexpr std::uint32_t kMaxDistance = 32768;
constexpr int kEndOfBlock = 256;
// The order in which a dynamic header lists the code-length code's lengths.
inline constexpr std::uint8_t kCodeLengthOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5,
                                                     11, 4, 12, 3, 13, 2, 14, 1, 15};

// Length 3..258 to its code index 0..28 (code 257 + index) and the extra bits' count.
inline int LengthIndex(unsigned length) {
  const unsigned x = length - 3;
  if (x < 8) return static_cast<int>(x);
  if (length == 258) return 28;
  const int b = 31 - __builtin_clz(x);
  return 4 * (b - 1) + static_cast<int>((x >> (b - 2)) & 3);
}
inline int LengthExtraBits(int index) { return index < 8 || index == 28 ? 0 : index / 4 - 1; }
inline unsigned LengthBase(int index) {
  if (index < 8) return 3 + index;
  if (index == 28) return 258;
  return 3 + ((4u + (index & 3)) << (index / 4 - 1));
}
// Distance 1..32768 to its code 0..29.
inline int DistanceCode(unsigned distance) {
  const unsigned x = distance - 1;
  if (x < 4) return static_cast<int>(x);
  const int b = 31 - __builtin_clz(x);
  return 2 * b + static_cast<int>((x >> (b - 1)) & 1);
}
inline int DistanceExtraBits(int code) { return code < 4 ? 0 : code / 2 - 1; }
inline unsigned DistanceBase(int code) {
  return code < 4 ? 1u + code : 1u + ((2u + (code & 1)) << (code / 2 - 1));
}

// The fixed code's lengths (RFC 1951 3.2.6).
void FixedLengths(std::uint8_t* literal_lengths, std::uint8_t* distance_lengths);

// Canonical codes from lengths, bit-reversed so that they can be written LSB first. False when the
// lengths over-fill the code space.
bool CanonicalCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes);

class BitReader {
 public:
  BitReader(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
  // False at the end of the data.
  bool Bits(int count, std::uint32_t& value) {
    value = 0;
    for (int i = 0; i < count; ++i) {
      const std::size_t byte = m_bit >> 3;
      if (byte >= m_size) return false;
      value |= static_cast<std::uint32_t>((m_data[byte] >> (m_bit & 7)) & 1) << i;
      ++m_bit;
    }
    return true;
  }
  std::uint64_t Position() const { return m_bit; }
  void Seek(std::uint64_t bit) { m_bit = bit; }

 private:
  const std::uint8_t* m_data;
  std::size_t m_size;
  std::uint64_t m_bit = 0;
};

// Decodes one canonical prefix code by walking it a bit at a time.
class PrefixDecoder {
 public:
  // False when the lengths over-fill the code space.
  bool Init(const std::uint8_t* lengths, int count);
  // The symbol, or -1 for a bit pattern no symbol has or the end of the data.
  int Decode(BitReader& in) const;

 private:
  std::uint16_t m_count[16] = {};
  std::uint16_t m_symbol[kLiteralCodes] = {};
};

class BitWriter {
 public:
  void Put(std::uint32_t bits, int count);
  int PendingBits() const { return m_used; }
  std::vector<std::uint8_t>& Bytes() { return m_out; }
  std::uint64_t BitCount() const { return m_out.size() * 8 + m_used; }
  // The partial last byte, for comparing bit ranges.
  std::uint32_t PendingValue() const { return static_cast<std::uint32_t>(m_acc); }
  void Clear() { m_out.clear(); m_acc = 0; m_used = 0; }

 private:
  std::vector<std::uint8_t> m_out;
  std::uint64_t m_acc = 0;
  int m_used = 0;
};

}  // namespace deflate
}  // namespace uha
