#include "tests/wine/link_reader.h"

#include <shlobj.h>
#include <windows.h>

#include <fstream>

namespace {
constexpr int kTextSize = 1024;

// The show command as written in the link header (a 32-bit value at offset 60). Read from the file
// because loading a link reports every value but 1, 3 and 7 as SW_SHOWNORMAL.
int StoredShowCommand(const std::string& linkPath) {
  std::ifstream in(linkPath, std::ios::binary);
  unsigned char field[4] = {};
  in.seekg(60);
  if (!in.read(reinterpret_cast<char*>(field), sizeof(field))) return -1;
  return field[0] | field[1] << 8 | field[2] << 16 | field[3] << 24;
}
}  // namespace

std::optional<LinkProperties> ReadLink(const std::string& linkPath) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link)))) {
    return std::nullopt;
  }
  std::optional<LinkProperties> result;
  IPersistFile* file = nullptr;
  WCHAR widePath[MAX_PATH];
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, MAX_PATH) != 0 &&
        SUCCEEDED(file->Load(widePath, STGM_READ))) {
      char text[kTextSize] = "";
      LinkProperties properties;
      if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH))) properties.target = text;
      text[0] = '\0';
      if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH))) properties.workingDirectory = text;
      text[0] = '\0';
      if (SUCCEEDED(link->GetDescription(text, kTextSize))) properties.description = text;
      properties.showCommand = StoredShowCommand(linkPath);
      result = properties;
    }
    file->Release();
  }
  link->Release();
  return result;
}
