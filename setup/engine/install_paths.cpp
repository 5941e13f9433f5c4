#include "setup/engine/install_paths.h"

#include <cstdio>

namespace kelvamo {

namespace {

constexpr size_t kMaxPathLength = 259;  // MAX_PATH without its NUL

bool FitsBuffer(size_t length, size_t bufferSize) { return length < bufferSize; }

}  // namespace

std::optional<std::string> BuildUninstallString(const std::string& installDir) {
  std::string text = '"' + installDir + kUninstallCommandFile + '"';
  if (!FitsBuffer(text.size(), kPathBufferSize)) return std::nullopt;
  return text;
}

std::optional<std::string> BuildExtractorCommand(const std::string& installDir) {
  if (!FitsBuffer(installDir.size(), kPathBufferSize)) return std::nullopt;
  return '"' + installDir + '\\' + kExtractorName + "\" x -y \"" + installDir + '\\' +
         kArchiveName + '"';
}

std::optional<std::string> BuildPackSearchPattern(const std::string& folder) {
  std::string text = folder + '*' + kPackSuffix;
  if (!FitsBuffer(text.size(), kSearchPatternSize)) return std::nullopt;
  return text;
}

std::optional<std::string> BuildUnpackCommand(const std::string& installDir,
                                              const std::string& folder,
                                              const std::string& packedName,
                                              const std::string& targetName) {
  char command[kCommandBufferSize];
  const int length = std::snprintf(command, sizeof(command),
                                   "\"%sjre\\bin\\unpack200\" \"%s%s\" \"%s%s\"", installDir.c_str(),
                                   folder.c_str(), packedName.c_str(), folder.c_str(),
                                   targetName.c_str());
  if (length < 0 || static_cast<size_t>(length) >= sizeof(command)) return std::nullopt;
  return std::string(command, static_cast<size_t>(length));
}

bool InstallDirFitsEveryBuffer(const std::string& installDir) {
  const std::string deepestFolder = installDir + kLibExtFolder;
  // The longest packed library a search there can return: its path fills MAX_PATH.
  const size_t suffixLength = sizeof(kPackSuffix) - 1;
  size_t nameLength = suffixLength + 1;
  if (deepestFolder.size() + nameLength < kMaxPathLength) {
    nameLength = kMaxPathLength - deepestFolder.size();
  }
  const std::string longestName = std::string(nameLength - suffixLength, 'x') + kPackSuffix;
  return BuildUninstallString(installDir) && BuildExtractorCommand(installDir) &&
         BuildPackSearchPattern(installDir + kLibFolder) && BuildPackSearchPattern(deepestFolder) &&
         BuildUnpackCommand(installDir, deepestFolder, longestName,
                            UnpackTargetName(longestName, IsGbkLeadByte));
}

bool FoldersNest(const std::string& a, const std::string& b) {
  const std::string& shorter = a.size() < b.size() ? a : b;
  const std::string& longer = a.size() < b.size() ? b : a;
  // Trail bytes fold too: two folders taken for nesting wrongly only keep an old installation.
  for (size_t i = 0; i < shorter.size(); ++i) {
    const auto fold = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (fold(shorter[i]) != fold(longer[i])) return false;
  }
  return true;
}

}  // namespace kelvamo
