// The extractor travels inside setup.exe, so it has to stay small. It is built without exceptions;
// these definitions take the place of the few C++ runtime hooks that would otherwise pull in the
// whole exception, unwinding and demangling machinery (some 200 KB). Each one means memory ran out
// or a library invariant broke: the extractor says so on its row and ends with exit code 3.
#include <windows.h>

#include <cstdlib>
#include <new>

namespace {

[[noreturn]] void Abandon() {
  static const char kMessage[] = "\r\nUHARC: out of memory or internal error\r\n";
  DWORD written = 0;
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  DWORD mode = 0;
  if (GetConsoleMode(out, &mode)) {
    WriteConsoleA(out, kMessage, sizeof kMessage - 1, &written, nullptr);
  } else {
    WriteFile(out, kMessage, sizeof kMessage - 1, &written, nullptr);
  }
  ExitProcess(3);
}

}  // namespace

void* operator new(std::size_t size) {
  void* p = std::malloc(size != 0 ? size : 1);
  if (p == nullptr) Abandon();
  return p;
}
void* operator new[](std::size_t size) { return operator new(size); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace std {
void __throw_bad_alloc() { Abandon(); }
void __throw_bad_array_new_length() { Abandon(); }
void __throw_length_error(const char*) { Abandon(); }
void __throw_logic_error(const char*) { Abandon(); }
void __throw_out_of_range_fmt(const char*, ...) { Abandon(); }
void __throw_bad_function_call() { Abandon(); }
void __glibcxx_assert_fail(const char*, int, const char*, const char*) noexcept { Abandon(); }
}  // namespace std
