#pragma once
#include <string>

#include "lib/text/dbcs.h"

namespace kelvamo {

// Gives the folder text its final form when the wizard leaves the folder page: trailing spaces
// removed, then trailing backslashes, then exactly one backslash appended. Trims whole characters,
// so a trail byte that happens to equal '\\' or ' ' is kept.
std::string NormaliseInstallDir(const std::string& folderText, LeadBytePredicate isLeadByte);

}  // namespace kelvamo
