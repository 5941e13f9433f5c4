#include "lib/product/finish_paths.h"

#include "lib/text/dbcs.h"

namespace kelvamo {

std::optional<std::string> JoinWithin(const std::string& head, const std::string& tail,
                                      size_t capacity) {
  if (head.size() >= capacity || tail.size() >= capacity - head.size()) return std::nullopt;
  return head + tail;
}

std::optional<ShortcutPaths> PlanShortcut(const std::string& installDir, const std::string& file,
                                          const std::string& folder, const std::string& linkName) {
  auto target = JoinWithin(installDir, file, kTargetPathCapacity);
  auto link = JoinWithin(folder, linkName, kLinkPathCapacity);
  if (!target || !link) return std::nullopt;
  return ShortcutPaths{*target, *link};
}

std::string WorkingDirectoryOf(const std::string& target, LeadBytePredicate isLeadByte) {
  const int cut = LastIndexOfCharacter(target, '\\', isLeadByte);
  return cut < 0 ? std::string() : target.substr(0, static_cast<size_t>(cut));
}

std::optional<std::string> ApplicationCommandLine(const std::string& installDir) {
  auto path = JoinWithin(installDir, kApplicationFile, kTargetPathCapacity);
  if (!path || path->find('"') != std::string::npos) return std::nullopt;
  return '"' + *path + '"';
}

std::string SuccessPageCommandLine() {
  return std::string(" http://") + kProductHost + "/suc.html";
}

std::vector<int> StartupFolderChoices(bool isOsVersion5) {
  if (isOsVersion5) return {kFolderCommonStartup};
  return {kFolderAltStartup, kFolderUserStartup};
}

}  // namespace kelvamo
