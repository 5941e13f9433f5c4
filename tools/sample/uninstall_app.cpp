// Uninstall.exe of the sample product: uninstalling is not built yet, and it says so.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  MessageBoxW(nullptr, L"Kelvamo 的卸载程序暂不可用。", L"Kelvamo 1.0.0",
              MB_OK | MB_ICONINFORMATION);
  return 1;
}
