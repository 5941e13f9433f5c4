// What the progress page checks before the installation writes anything, not even the registry
// records: room on the target volume, and no Kelvamo running from the target folder.
#include <string>

#include "setup/engine/free_space.h"
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
