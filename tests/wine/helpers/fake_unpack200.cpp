// Stands in for the runtime's unpack200 in the engine's tests: `unpack200 IN OUT` copies IN to OUT.
// An input starting with "fail" ends with exit code 2 and no output; one starting with "nothing"
// ends well without writing any output.
#include <windows.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) return 1;
  char head[8] = {};
  HANDLE in = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (in == INVALID_HANDLE_VALUE) return 3;
  DWORD count = 0;
  ReadFile(in, head, sizeof(head) - 1, &count, nullptr);
  CloseHandle(in);
  if (std::strncmp(head, "fail", 4) == 0) return 2;
  if (std::strncmp(head, "nothing", 7) == 0) return 0;
  return CopyFileA(argv[1], argv[2], FALSE) ? 0 : 4;
}
