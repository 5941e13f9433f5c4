#pragma once
#include <string>

// Removes the links the installation made to its programs in `folder` (ends with a backslash):
// the start-up link (all-users, non-localized and the user's own start-up folder), the desktop
// link, and the start-menu group's two links, then the group folder once it is empty. Links to
// another installation stay. COM must be initialised. Adds the links removed to `removed`; false when
// a link of this installation could not be removed.
bool RemoveProductLinks(const std::wstring& folder, int& removed);
