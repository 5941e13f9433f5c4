#pragma once
#include <string>

// Whether the product's application runs from `folder` (ends with a backslash). A process of that
// name whose path cannot be read counts as running from it: it is safer to ask once too often.
bool IsApplicationRunningFrom(const std::wstring& folder);
