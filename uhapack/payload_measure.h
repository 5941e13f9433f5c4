// What the build records about the payload for setup.exe: sizes and CRC-32 of the archive and the
// extractor, the bytes extraction writes and the bytes the completion step expands from them.
#pragma once

#include <string>

#include "shared/payload_facts.h"
#include "lib/archive/uha_format.h"

namespace uha {

// Reads both files whole and extracts the archive in memory, so every entry's checksum is checked
// on the way; the expanded size is that of each library's gzip stream, unpacked.
Status MeasurePayload(const std::string& archive, const std::string& extractor,
                      kelvamo::PayloadFacts& facts);

}  // namespace uha
