#pragma once

#include <cstdint>

// What the build records about the payload, so that setup.exe can check it and size the
// installation before it writes anything. Carried in setup.exe as resource kPayloadFactsResource,
// type "SETUP": kPayloadFactsMagic, then the fields of PayloadFacts in order, all little-endian
// (4 + 4 + 4 + 8 + 8 + 8 + 8 = 44 bytes).
namespace kelvamo {

constexpr int kPayloadFactsResource = 134;
constexpr std::uint32_t kPayloadFactsMagic = 0x3146504B;  // "KPF1"
constexpr std::uint32_t kPayloadFactsBytes = 44;

struct PayloadFacts {
  std::uint32_t archive_crc32 = 0;    // CRC-32 of the whole archive resource
  std::uint32_t extractor_crc32 = 0;  // CRC-32 of the whole extractor resource
  std::uint64_t archive_bytes = 0;    // their sizes: a truncated resource fails before its CRC
  std::uint64_t extractor_bytes = 0;
  std::uint64_t unpacked_bytes = 0;   // the files the archive holds, as extracted
  std::uint64_t expanded_bytes = 0;   // the libraries the runtime expansion writes from *.pack.gz
};

}  // namespace kelvamo
