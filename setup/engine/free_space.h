#pragma once
#include <cstdint>
#include <optional>
#include <string>

// Bytes free for this user on the volume of `folder`, measured at the folder or, when it does not
// exist yet, at its nearest existing ancestor. Nothing when none exists or it is not a folder.
std::optional<std::uint64_t> FreeBytesNear(const std::string& folder);
