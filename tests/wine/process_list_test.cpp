#include "lib/win32/process_list.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace {

std::string OwnExeName() {
  char path[MAX_PATH];
  DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, length);
  return full.substr(full.find_last_of('\\') + 1);
}

}  // namespace

TEST(FindProcessByName, FindsRunningProcessWhateverTheCase) {
  std::string name = OwnExeName();
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  EXPECT_EQ(FindProcessByName(name.c_str()), GetCurrentProcessId());
  for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(FindProcessByName(name.c_str()), GetCurrentProcessId());
}

TEST(FindProcessByName, ReturnsZeroForAbsentOrPartialNames) {
  EXPECT_EQ(FindProcessByName("NO_SUCH_PROGRAM_HERE.EXE"), 0u);
  std::string name = OwnExeName();
  EXPECT_EQ(FindProcessByName(name.substr(1).c_str()), 0u);
  EXPECT_EQ(FindProcessByName(""), 0u);
}
