#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "lib/text/dbcs.h"

// Whether the installation fits on the target volume, decided before anything is written.
namespace kelvamo {

// The folder that holds `folder`, both ending with a backslash: "D:\a\b\" gives "D:\a\". Nothing
// above a root ("D:\", "\", "\\server\share\") or above a relative path's first folder. Walks
// whole characters, so a trail byte equal to a backslash is no separator.
std::optional<std::string> ParentFolder(const std::string& folder, LeadBytePredicate isLeadByte);

// Both sizes in whole megabytes (MiB), as the message shows them.
struct SpaceShortfall {
  std::uint64_t needMb;
  std::uint64_t freeMb;
};

// Nothing when the free space holds the need. Otherwise the need is rounded up and the free space
// down, so the two figures of a refusal never read as enough.
std::optional<SpaceShortfall> FindShortfall(std::uint64_t needBytes, std::uint64_t freeBytes);

}  // namespace kelvamo
