#pragma once
#include <string>

#include "lib/product/installed_list.h"

// Deleting in an install folder that holds a user's files besides the product's, with the
// uninstaller's rules: only the planned files, never a name that has become a folder, never
// through a folder link (which may lead out of the install folder), read-only cleared; then the
// planned folders, each only when empty.

// Removes `plan` from `folder` (UTF-16, ends with a backslash). Each name is tried even after
// another failed; true when every planned file is gone. A folder that stays is no failure: it
// holds what is not the product's.
bool RemoveStaleFiles(const std::wstring& folder, const kelvamo::RemovalPlan& plan);
