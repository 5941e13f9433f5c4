#include "uninstall/running_app.h"

#include <windows.h>

#include "lib/win32/process_list.h"
#include "shared/kelvamo_product.h"

// The installer's own check, which compares the files themselves; it takes the folder in the
// system's code page, as the installer wrote it.
bool IsApplicationRunningFrom(const std::wstring& folder) {
  char ansi[MAX_PATH * 2];
  const int n = WideCharToMultiByte(CP_ACP, 0, folder.c_str(), -1, ansi, sizeof(ansi), nullptr,
                                    nullptr);
  return n > 0 && IsRunningFrom(ansi, kelvamo::kApplicationFile);
}
