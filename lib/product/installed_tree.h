#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "lib/archive/uha_format.h"

// What a completed installation must leave in its folder: the check that accepts it.
namespace kelvamo {

struct ExpectedFile {
  std::string name;                    // as the archive names its entries
  std::optional<std::uint64_t> bytes;  // nothing for a library the runtime expansion writes
};

// Every file of the archive with its size, then every library the expansion writes from one of
// them, once each.
std::vector<ExpectedFile> ExpectedFiles(const std::vector<uha::Entry>& entries);

}  // namespace kelvamo
