#include "uninstall/product_links.h"

#include <windows.h>
#include <shlobj.h>

#include "lib/product/finish_paths.h"
#include "shared/kelvamo_product.h"

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

// Deletes the link when it leads into the folder; true unless such a link stays.
bool RemoveLinkInto(const std::wstring& linkPath, const std::wstring& folder) {
  if (GetFileAttributesW(linkPath.c_str()) == INVALID_FILE_ATTRIBUTES) return true;
  if (!LiesIn(LinkTarget(linkPath), folder)) return true;
  return DeleteFileW(linkPath.c_str()) != FALSE;
}

}  // namespace

bool LiesIn(const std::wstring& path, const std::wstring& folder) {
  return path.size() > folder.size() &&
         CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, path.c_str(),
                        static_cast<int>(folder.size()), folder.c_str(),
                        static_cast<int>(folder.size())) == CSTR_EQUAL;
}

bool RemoveProductLinks(const std::wstring& folder) {
  using namespace kelvamo;
  const std::wstring link = L"\\" + FromUtf8(kLinkFile);
  bool removed = true;
  for (int csidl : {kFolderCommonStartup, kFolderAltStartup, kFolderUserStartup, kFolderDesktop}) {
    const std::wstring shellFolder = SpecialFolder(csidl);
    if (!shellFolder.empty()) removed = RemoveLinkInto(shellFolder + link, folder) && removed;
  }
  const std::wstring startMenu = SpecialFolder(kFolderCommonStartMenu);
  if (startMenu.empty()) return removed;
  const std::wstring group = startMenu + L"\\" + FromUtf8(kGroupFolder);
  removed = RemoveLinkInto(group + link, folder) && removed;
  removed = RemoveLinkInto(group + L"\\" + FromUtf8(kUninstallerLinkFile), folder) && removed;
  RemoveDirectoryW(group.c_str());  // only when nothing else is in it
  return removed;
}
