#pragma once
#include <cstddef>
#include <string>

#include "app/install_dir.h"

namespace kelvamo {

// Names of the payload files inside the install folder and of the runtime's library folders.
extern const char kArchiveName[];    // "kelvamo.uha"
extern const char kExtractorName[];  // "UHARC.EXE"
extern const char kLibFolder[];      // "jre\\lib\\"
extern const char kLibExtFolder[];   // "jre\\lib\\ext\\"

// Sizes of the fixed buffers the engine builds its texts in; every text must fit with its NUL.
constexpr size_t kPathBufferSize = 255;
constexpr size_t kSearchPatternSize = 260;
constexpr size_t kCommandBufferSize = 1024;

// "UninstallString": the uninstaller's path in double quotes, so a path with spaces cannot run a
// different program. False when it does not fit the path buffer.
bool BuildUninstallString(const std::string& installDir, std::string* out);

// The extractor's start: "<dir>\UHARC.EXE" x -y "<dir>\kelvamo.uha". False when the folder does not
// fit the buffer the extraction step copies it into.
bool BuildExtractorCommand(const std::string& installDir, std::string* out);

// Search pattern for packed libraries: folder + "*.pack.gz". False when it does not fit.
bool BuildPackSearchPattern(const std::string& folder, std::string* out);

// Library name of a packed file: the trailing run of characters from ".pack.gz" removed, walking
// whole characters so a double-byte character is never cut.
std::string UnpackTargetName(const std::string& packedName, LeadBytePredicate isLeadByte);

// "<dir>jre\bin\unpack200" "<folder><packed>" "<folder><target>". False when it does not fit.
bool BuildUnpackCommand(const std::string& installDir, const std::string& folder,
                        const std::string& packedName, const std::string& targetName,
                        std::string* out);

// True when every text built from the folder fits its buffer, for every packed library whose
// path fits MAX_PATH. The installation refuses any other folder before writing anything.
bool InstallDirFitsEveryBuffer(const std::string& installDir);

}  // namespace kelvamo
