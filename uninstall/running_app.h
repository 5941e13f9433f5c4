#pragma once
#include <string>

// Whether the product's application runs from `folder` (ends with a backslash).
bool IsApplicationRunningFrom(const std::wstring& folder);
