// What the progress page checks before the installation writes anything, not even the registry
// records: room on the target volume, no Kelvamo running from the target folder, and no file the
// installation replaces held open by another program.
#include <string>

#include "lib/win32/wide_path.h"
#include "setup/engine/files_in_use.h"
#include "setup/engine/free_space.h"
#include "setup/engine/install_log.h"
#include "setup/engine/tree_check.h"
#include "setup/engine/payload.h"
#include "lib/win32/process_list.h"
#include "setup/engine/space_check.h"
#include "shared/kelvamo_product.h"
#include "setup/pages/progress_page.h"

namespace {

const char kNoRoomNeed[] = "磁盘空间不足：安装需要 ";
const char kNoRoomFree[] = " MB，目标磁盘只有 ";
const char kNoRoomEnd[] = " MB 可用。请释放磁盘空间，或选择其他文件夹。";
const char kApplicationRunning[] =
    "Kelvamo 正在运行，它的文件无法覆盖。请先关闭 Kelvamo，再按“重试”；按“取消”返回。";

const char kFilesInUse[] = "下列文件正被其他程序使用，安装无法替换它们：\r\n";
const char kMoreFiles[] = "……共 ";
const char kMoreFilesEnd[] = " 个文件\r\n";
const char kHeldBy[] = "使用它们的程序：";
const char kRunningThere[] = "正从安装文件夹运行的程序：";
const char kFilesInUseEnd[] =
    "\r\n请关闭这些程序，再按“重试”；按“取消”返回。安装尚未写入任何内容。";
// The names a message shows at most; the count tells the rest.
constexpr size_t kShownFiles = 5;

}  // namespace

bool CProgressPage::HasRoomFor(const std::string& dir) {
  const auto facts = LoadPayloadFacts();
  const auto freeBytes = FreeBytesNear(dir);
  // Without an existing ancestor (a drive that is not there) the folder check reports the folder.
  if (!facts || !freeBytes) return true;
  const auto shortfall = kelvamo::FindShortfall(kelvamo::InstallNeedBytes(*facts), *freeBytes);
  if (!shortfall) return true;
  const std::string text = kNoRoomNeed + std::to_string(shortfall->needMb) + kNoRoomFree +
                           std::to_string(shortfall->freeMb) + kNoRoomEnd;
  AfxMessageBox(text.c_str(), MB_OK);
  return false;
}

bool CProgressPage::ApplicationClosedIn(const std::string& dir) {
  while (IsRunningFrom(dir, kelvamo::kApplicationFile)) {
    if (AfxMessageBox(kApplicationRunning, MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY) {
      return false;
    }
  }
  return true;
}

bool CProgressPage::FilesClosedIn() {
  const std::string dir = InstallDir();
  ListedFolder folder;
  // A folder that is not there yet holds nothing.
  if (!folder.Open(WidenAnsi(dir))) return true;
  for (;;) {
    const std::vector<std::string> held = m_install.FilesInUse(folder);
    if (held.empty()) return true;
    std::string text = kFilesInUse;
    std::vector<std::wstring> paths;
    for (size_t i = 0; i < held.size(); ++i) {
      LogStep("file in use: " + held[i]);
      paths.push_back(WidenAnsi(dir) + ListedName(held[i]));
      if (i < kShownFiles) text += dir + AnsiName(held[i]) + "\r\n";
    }
    if (held.size() > kShownFiles) text += kMoreFiles + std::to_string(held.size()) + kMoreFilesEnd;
    // Where the system cannot say who holds them, the programs running from the folder likely do.
    std::vector<std::string> programs = ProgramsHolding(paths);
    const char* heading = kHeldBy;
    if (programs.empty()) {
      programs = ProgramsRunningIn(dir);
      heading = kRunningThere;
    }
    for (size_t i = 0; i < programs.size(); ++i) text += (i == 0 ? heading : "、") + programs[i];
    text += kFilesInUseEnd;
    if (AfxMessageBox(text.c_str(), MB_RETRYCANCEL | MB_ICONEXCLAMATION) != IDRETRY) return false;
  }
}
