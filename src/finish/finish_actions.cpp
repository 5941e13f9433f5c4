#include "finish/finish_actions.h"

#include <windows.h>

#include "finish/finish_paths.h"
#include "finish/shortcut.h"

using namespace kelvamo;

namespace {

constexpr char kLinkName[] = "\\Kelvamo.lnk";
constexpr char kGroupName[] = "\\Kelvamo";
constexpr char kUninstallerLinkName[] = "\\卸载.lnk";

// COM for one option, whether or not initialisation succeeded.
class ComScope {
 public:
  ComScope() { CoInitialize(nullptr); }
  ~ComScope() { CoUninitialize(); }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
};

void MakeShortcut(const std::string& installDir, const char* file, const std::string& folder,
                  const char* linkName) {
  if (auto paths = PlanShortcut(installDir, file, folder, linkName)) {
    CreateShortcut(paths->target.c_str(), paths->link.c_str());
  }
}

void MakeShortcutInFolder(const std::string& installDir, const std::vector<int>& folderChoices) {
  ComScope com;
  if (auto folder = FindShellFolder(folderChoices)) {
    MakeShortcut(installDir, kApplicationFile, *folder, kLinkName);
  }
}

}  // namespace

void MakeStartupShortcut(const std::string& installDir) {
  MakeShortcutInFolder(installDir, StartupFolderChoices(IsOsVersion5() != FALSE));
}

void MakeDesktopShortcut(const std::string& installDir) {
  MakeShortcutInFolder(installDir, {kFolderDesktop});
}

void MakeStartMenuGroup(const std::string& installDir) {
  auto startMenu = FindShellFolder({kFolderCommonStartMenu});
  auto group = startMenu ? JoinWithin(*startMenu, kGroupName, kLinkPathCapacity) : std::nullopt;
  if (!group) return;
  CreateDirectoryA(group->c_str(), nullptr);  // an existing group is reused
  ComScope com;
  MakeShortcut(installDir, kApplicationFile, *group, kLinkName);
  MakeShortcut(installDir, kUninstallerFile, *group, kUninstallerLinkName);
}

void StartInstalledApplication(const std::string& installDir) {
  if (auto command = ApplicationCommandLine(installDir)) WinExec(command->c_str(), SW_SHOW);
}
