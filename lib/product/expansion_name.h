// How the installation expands the runtime's packed libraries: where it searches and what each
// packed file becomes. The packer, the installer and the uninstaller all name them this way.
#pragma once
#include <string>

#include "lib/text/dbcs.h"

namespace kelvamo {

constexpr char kPackSuffix[] = ".pack.gz";

// The runtime's library folders inside the install folder.
extern const char kLibFolder[];      // "jre\\lib\\"
extern const char kLibExtFolder[];   // "jre\\lib\\ext\\"

// Library name of a packed file: the trailing run of characters from ".pack.gz" removed, walking
// whole characters so a double-byte character is never cut.
std::string UnpackTargetName(const std::string& packedName, LeadBytePredicate isLeadByte);

}  // namespace kelvamo
