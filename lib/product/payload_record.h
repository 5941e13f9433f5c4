#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "shared/payload_facts.h"

// The payload facts as bytes, and what the installer and the packer compute from them.
namespace kelvamo {

using PayloadFactsRecord = std::array<std::uint8_t, kPayloadFactsBytes>;

PayloadFactsRecord EncodePayloadFacts(const PayloadFacts& facts);
// Nothing unless the bytes are a whole record of this layout.
std::optional<PayloadFacts> DecodePayloadFacts(const void* bytes, std::size_t size);

// The CRC-32 the facts record (the archive format's own); `crc` carries it on from earlier bytes.
std::uint32_t PayloadCrc32(const void* bytes, std::size_t size, std::uint32_t crc = 0);
// True when the bytes have the recorded size and CRC-32; a truncated copy fails on its size alone.
bool MatchesRecord(const void* bytes, std::uint64_t size, std::uint64_t recordedBytes,
                   std::uint32_t recordedCrc);

// Bytes the installation occupies at its peak: the unpacked tree, the libraries expanded from it
// and the two payload files, which are deleted only after the expansion. Never wraps around.
std::uint64_t InstallNeedBytes(const PayloadFacts& facts);

// True for an archive entry (UTF-8, '/' between components) that the completion step expands:
// a "*.pack.gz" file in the runtime's library folders, matched without regard to case as the
// platform's file search does, also inside folders of their own named "*.pack.gz", which that
// search enters.
bool ExpandedAtCompletion(const std::string& entryName);

}  // namespace kelvamo
