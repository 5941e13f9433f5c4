#include "setup/finish/finish_actions.h"

#include <windows.h>

#include "lib/product/finish_paths.h"
#include "setup/finish/shortcut.h"
#include "setup/finish/user_token_start.h"
#include "lib/win32/com_scope.h"

using namespace kelvamo;

namespace {

const std::string kLinkName = std::string("\\") + kLinkFile;
const std::string kGroupName = std::string("\\") + kGroupFolder;
const std::string kUninstallerLinkName = std::string("\\") + kUninstallerLinkFile;

bool MakeShortcut(const std::string& installDir, const char* file, const std::string& folder,
                  const std::string& linkName) {
  const auto paths = PlanShortcut(installDir, file, folder, linkName);
  return paths && CreateShortcut(paths->target.c_str(), paths->link.c_str());
}

bool MakeShortcutInFolder(const std::string& installDir, const std::vector<int>& folderChoices) {
  ComScope com;
  const auto folder = FindShellFolder(folderChoices);
  return folder && MakeShortcut(installDir, kApplicationFile, *folder, kLinkName);
}

}  // namespace

bool MakeStartupShortcut(const std::string& installDir) {
  return MakeShortcutInFolder(installDir, StartupFolderChoices(IsOsVersion5() != FALSE));
}

bool MakeDesktopShortcut(const std::string& installDir) {
  return MakeShortcutInFolder(installDir, {kFolderDesktop});
}

bool MakeStartMenuGroup(const std::string& installDir) {
  auto startMenu = FindShellFolder({kFolderCommonStartMenu});
  auto group = startMenu ? JoinWithin(*startMenu, kGroupName, kLinkPathCapacity) : std::nullopt;
  if (!group) return false;
  CreateDirectoryA(group->c_str(), nullptr);  // an existing group is reused
  ComScope com;
  const bool application = MakeShortcut(installDir, kApplicationFile, *group, kLinkName);
  return MakeShortcut(installDir, kUninstallerFile, *group, kUninstallerLinkName) && application;
}

bool StartInstalledApplication(const std::string& installDir) {
  const auto command = ApplicationCommandLine(installDir);
  return command && StartForDesktopUser(nullptr, command->c_str(), [&] {
           return WinExec(command->c_str(), SW_SHOW) > 31;
         });
}
