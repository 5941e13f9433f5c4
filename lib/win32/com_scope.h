#pragma once
#include <objbase.h>

// COM for the lifetime of one scope, whether or not initialisation succeeded: shell links need it,
// and a second initialisation on the thread only counts up.
class ComScope {
 public:
  ComScope() { CoInitialize(nullptr); }
  ~ComScope() { CoUninitialize(); }
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
};
