// Stands in for UHARC.EXE in the engine's tests. Called as `UHARC.EXE x -y ARCHIVE`, it reads
// ARCHIVE as a script: the first line is its exit code, the rest goes to the console as it stands,
// each '~' making a pause of 500 ms. It leaves "extracted.txt" in its current directory.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
  if (argc != 4 || std::strcmp(argv[1], "x") != 0 || std::strcmp(argv[2], "-y") != 0) return 90;
  std::FILE* script = std::fopen(argv[3], "rb");
  if (script == nullptr) return 91;
  int exitCode = 92;
  if (std::fscanf(script, "%d\n", &exitCode) != 1) exitCode = 93;
  std::string rest;
  for (int c; (c = std::fgetc(script)) != EOF;) rest += static_cast<char>(c);
  std::fclose(script);
  if (std::FILE* marker = std::fopen("extracted.txt", "wb")) std::fclose(marker);

  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  size_t begin = 0;
  for (;;) {
    const size_t pause = rest.find('~', begin);
    const std::string piece = rest.substr(begin, pause - begin);
    DWORD written = 0;
    WriteFile(out, piece.data(), static_cast<DWORD>(piece.size()), &written, nullptr);
    if (pause == std::string::npos) break;
    Sleep(500);
    begin = pause + 1;
  }
  return exitCode;
}
