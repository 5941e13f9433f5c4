#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "lib/product/expansion_name.h"
#include "lib/text/dbcs.h"
#include "shared/kelvamo_product.h"

namespace kelvamo {

// Sizes of the fixed buffers the engine builds its texts in; every text must fit with its NUL.
constexpr size_t kPathBufferSize = 255;
constexpr size_t kSearchPatternSize = 260;
constexpr size_t kCommandBufferSize = 1024;

// "UninstallString": the uninstaller's path in double quotes, so a path with spaces cannot run a
// different program. Nothing when it does not fit the path buffer.
std::optional<std::string> BuildUninstallString(const std::string& installDir);

// The extractor's start: "<dir>\UHARC.EXE" x -y "<dir>\kelvamo.uha". Nothing when the folder does
// not fit the buffer the extraction step copies it into.
std::optional<std::string> BuildExtractorCommand(const std::string& installDir);

// Search pattern for packed libraries: folder + "*.pack.gz". Nothing when it does not fit.
std::optional<std::string> BuildPackSearchPattern(const std::string& folder);

// "<dir>jre\bin\unpack200" "<folder><packed>" "<folder><target>". Nothing when it does not fit.
std::optional<std::string> BuildUnpackCommand(const std::string& installDir,
                                              const std::string& folder,
                                              const std::string& packedName,
                                              const std::string& targetName);

// True when every text built from the folder fits its buffer, for every packed library whose
// path fits MAX_PATH. The installation refuses any other folder before writing anything.
bool InstallDirFitsEveryBuffer(const std::string& installDir);

// True when one folder (each ending with a backslash) is the other or lies inside it, letters
// compared without regard to case. An installation replaced in a nesting folder keeps its files:
// its list could name the new installation's.
bool FoldersNest(const std::string& a, const std::string& b);

}  // namespace kelvamo
