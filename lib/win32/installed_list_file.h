#pragma once
#include <optional>
#include <string>
#include <vector>

#include "lib/product/installed_list.h"

// The installed-files list in an install folder, as the uninstaller and the installer's upgrade
// both read it. Paths are UTF-16 and go through the \\?\ form, so deep trees and any name work.

// The list in `folder` (ends with a backslash); nothing when it is missing, unreadable or damaged.
std::optional<std::vector<kelvamo::ListedEntry>> ReadInstalledList(const std::wstring& folder);

// `folder` + the listed name, with backslashes; empty when the name is not valid UTF-8.
std::wstring ListedPath(const std::wstring& folder, const std::string& name);
