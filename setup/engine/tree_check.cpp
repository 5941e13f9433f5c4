#include "setup/engine/tree_check.h"

#include <windows.h>

#include "lib/product/installed_tree.h"
#include "lib/win32/listed_removal.h"
#include "setup/engine/payload.h"

std::string AnsiName(const std::string& utf8) {
  std::wstring wide = ListedName(utf8);
  const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()),
                                    nullptr, 0, nullptr, nullptr);
  if (n <= 0) return utf8;
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), static_cast<int>(wide.size()), &ansi[0], n,
                      nullptr, nullptr);
  return ansi;
}

std::optional<std::string> FirstMissingFile(const ListedFolder& folder,
                                            const std::string& installDir) {
  const auto table = PayloadTable();
  if (!table) return installDir;
  for (const kelvamo::ExpectedFile& file : kelvamo::ExpectedFiles(table->entries)) {
    const auto bytes = folder.FileSize(ListedName(file.name));
    if (!bytes || (file.bytes && *bytes != *file.bytes)) return installDir + AnsiName(file.name);
  }
  return std::nullopt;
}
