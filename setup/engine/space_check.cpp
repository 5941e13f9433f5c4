#include "setup/engine/space_check.h"

namespace kelvamo {

namespace {

constexpr std::uint64_t kMegabyte = 1024 * 1024;

// Length of the root the walk stops at: "D:\", "\", "\\server\share\"; 0 for a relative path.
size_t RootLength(const std::string& folder) {
  if (folder.compare(0, 2, "\\\\") == 0) {
    const size_t server = folder.find('\\', 2);
    const size_t share = server == std::string::npos ? server : folder.find('\\', server + 1);
    return share == std::string::npos ? folder.size() : share + 1;
  }
  if (folder.size() >= 3 && folder[1] == ':' && folder[2] == '\\') return 3;
  return !folder.empty() && folder[0] == '\\' ? 1 : 0;
}

}  // namespace

std::optional<std::string> ParentFolder(const std::string& folder, LeadBytePredicate isLeadByte) {
  const size_t bodyLength = !folder.empty() && folder.back() == '\\' ? folder.size() - 1 : 0;
  const int separator = LastIndexOfCharacter(folder.substr(0, bodyLength), '\\', isLeadByte);
  if (separator < 0) return std::nullopt;
  std::string parent = folder.substr(0, static_cast<size_t>(separator) + 1);
  if (parent.size() < RootLength(folder)) return std::nullopt;
  return parent;
}

std::optional<SpaceShortfall> FindShortfall(std::uint64_t needBytes, std::uint64_t freeBytes) {
  if (needBytes <= freeBytes) return std::nullopt;
  const std::uint64_t needMb = needBytes / kMegabyte + (needBytes % kMegabyte != 0 ? 1 : 0);
  return SpaceShortfall{needMb, freeBytes / kMegabyte};
}

}  // namespace kelvamo
