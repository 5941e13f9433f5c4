#pragma once
#include <string>

// Which registry entry and which links belong to the installation being removed: only those
// that name its own programs, so that another installation's stay whatever folder this one runs
// from.
namespace kelvamo {

// Whether two paths are one as Windows compares names (case ignored).
bool SamePathText(const std::wstring& a, const std::wstring& b);

// Whether the uninstall entry's command `command` (as stored, environment variables expanded)
// starts exactly `uninstaller`, quoted or not.
bool CommandStarts(const std::wstring& command, const std::wstring& uninstaller);

// Whether a link's target is one of the programs the installer links to in `folder` (ends with a
// backslash): the application or the uninstaller, directly in that folder.
bool IsOwnLinkTarget(const std::wstring& target, const std::wstring& folder);

}  // namespace kelvamo
