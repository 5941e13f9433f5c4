// Lists a folder tree for packing: every file and folder below the root, with its time and
// read-only flag. Symbolic links are refused rather than followed out of the tree.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lib/archive/archive_writer.h"

namespace uha {

// FILETIME ticks for a Unix time.
std::uint64_t FileTimeFromUnix(std::int64_t seconds, std::uint32_t nanoseconds);

// With `fixed_time`, every entry gets that Unix time, so the archive does not depend on when the
// tree was made.
Status ScanTree(const std::string& root, std::optional<std::int64_t> fixed_time,
                std::vector<PackInput>& inputs);

}  // namespace uha
