#include "engine/install_paths.h"

#include <cstdio>

namespace kelvamo {

const char kArchiveName[] = "kelvamo.uha";
const char kExtractorName[] = "UHARC.EXE";
const char kLibFolder[] = "jre\\lib\\";
const char kLibExtFolder[] = "jre\\lib\\ext\\";

namespace {

constexpr size_t kMaxPathLength = 259;  // MAX_PATH without its NUL
constexpr char kPackSuffix[] = ".pack.gz";

bool FitsBuffer(const std::string& text, size_t bufferSize) { return text.size() < bufferSize; }

}  // namespace

bool BuildUninstallString(const std::string& installDir, std::string* out) {
  *out = '"' + installDir + "uninstall.exe\"";
  return FitsBuffer(*out, kPathBufferSize);
}

bool BuildExtractorCommand(const std::string& installDir, std::string* out) {
  *out = '"' + installDir + '\\' + kExtractorName + "\" x -y \"" + installDir + '\\' +
         kArchiveName + '"';
  return FitsBuffer(installDir, kPathBufferSize);
}

bool BuildPackSearchPattern(const std::string& folder, std::string* out) {
  *out = folder + '*' + kPackSuffix;
  return FitsBuffer(*out, kSearchPatternSize);
}

std::string UnpackTargetName(const std::string& packedName, LeadBytePredicate isLeadByte) {
  return packedName.substr(
      0, LengthWithoutTrailing(packedName, packedName.size(), kPackSuffix, isLeadByte));
}

bool BuildUnpackCommand(const std::string& installDir, const std::string& folder,
                        const std::string& packedName, const std::string& targetName,
                        std::string* out) {
  char command[kCommandBufferSize];
  const int length = std::snprintf(command, sizeof(command),
                                   "\"%sjre\\bin\\unpack200\" \"%s%s\" \"%s%s\"", installDir.c_str(),
                                   folder.c_str(), packedName.c_str(), folder.c_str(),
                                   targetName.c_str());
  if (length < 0 || static_cast<size_t>(length) >= sizeof(command)) {
    out->clear();
    return false;
  }
  out->assign(command, static_cast<size_t>(length));
  return true;
}

bool InstallDirFitsEveryBuffer(const std::string& installDir) {
  std::string text;
  const std::string deepestFolder = installDir + kLibExtFolder;
  // The longest packed library a search there can return: its path fills MAX_PATH.
  const size_t suffixLength = sizeof(kPackSuffix) - 1;
  size_t nameLength = suffixLength + 1;
  if (deepestFolder.size() + nameLength < kMaxPathLength) {
    nameLength = kMaxPathLength - deepestFolder.size();
  }
  const std::string longestName = std::string(nameLength - suffixLength, 'x') + kPackSuffix;
  return BuildUninstallString(installDir, &text) && BuildExtractorCommand(installDir, &text) &&
         BuildPackSearchPattern(installDir + kLibFolder, &text) &&
         BuildPackSearchPattern(deepestFolder, &text) &&
         BuildUnpackCommand(installDir, deepestFolder, longestName,
                            UnpackTargetName(longestName, IsGbkLeadByte), &text);
}

}  // namespace kelvamo
