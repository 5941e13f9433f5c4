#include "lib/win32/product_links.h"

#include <windows.h>
#include <shlobj.h>

#include "lib/product/finish_paths.h"
#include "shared/kelvamo_product.h"
#include "lib/product/ownership.h"

namespace {

// The names of the shared header are literals of this program's character set, UTF-8.
std::wstring FromUtf8(const char* text) {
  wchar_t wide[MAX_PATH];
  const int n = MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, MAX_PATH);
  return n > 0 ? wide : L"";
}

std::wstring SpecialFolder(int csidl) {
  wchar_t path[MAX_PATH] = L"";
  if (!SHGetSpecialFolderPathW(nullptr, path, csidl, FALSE)) return L"";
  return path;
}

// The link's target as stored; empty when it cannot be read.
std::wstring LinkTarget(const std::wstring& linkPath) {
  IShellLinkW* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link)))) {
    return L"";
  }
  std::wstring target;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    wchar_t path[MAX_PATH] = L"";
    if (SUCCEEDED(file->Load(linkPath.c_str(), STGM_READ)) &&
        SUCCEEDED(link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH))) {
      target = path;
    }
    file->Release();
  }
  link->Release();
  return target;
}

// Deletes the link when it leads to a program of the installation; true unless such a link stays.
bool RemoveLinkInto(const std::wstring& linkPath, const std::wstring& folder, int& removed) {
  if (GetFileAttributesW(linkPath.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  if (!kelvamo::IsOwnLinkTarget(LinkTarget(linkPath), folder)) return true;
  if (!DeleteFileW(linkPath.c_str())) return false;
  ++removed;
  return true;
}

}  // namespace

bool RemoveProductLinks(const std::wstring& folder, int& removed) {
  using namespace kelvamo;
  const std::wstring link = L"\\" + FromUtf8(kLinkFile);
  bool all = true;
  for (int csidl : {kFolderCommonStartup, kFolderAltStartup, kFolderUserStartup, kFolderDesktop}) {
    const std::wstring shellFolder = SpecialFolder(csidl);
    if (!shellFolder.empty()) all = RemoveLinkInto(shellFolder + link, folder, removed) && all;
  }
  const std::wstring startMenu = SpecialFolder(kFolderCommonStartMenu);
  if (startMenu.empty()) return all;
  const std::wstring group = startMenu + L"\\" + FromUtf8(kGroupFolder);
  all = RemoveLinkInto(group + link, folder, removed) && all;
  all = RemoveLinkInto(group + L"\\" + FromUtf8(kUninstallerLinkFile), folder, removed) && all;
  RemoveDirectoryW(group.c_str());  // only when nothing else is in it
  return all;
}
