#include "pages/rollback.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "engine/process_list.h"

namespace {

const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\kelvamo";

void SetValue(HKEY key, const char* name, const char* text) {
  RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                 static_cast<DWORD>(strlen(text) + 1));
}

bool HasValue(const char* keyPath, const char* name) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
    return false;
  }
  const bool found = RegQueryValueExA(key, name, nullptr, nullptr, nullptr, nullptr) == 0;
  RegCloseKey(key);
  return found;
}

std::string FolderOfThisProgram() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string full(path, length);
  return full.substr(0, full.find_last_of('\\') + 1);
}

std::string MakeTempFolder() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  std::string folder = std::string(base) + "rollback_test\\";
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder;
}

void WriteFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  CloseHandle(file);
}

}  // namespace

TEST(Rollback, DeletesTheThreeUninstallValuesAndKeepsEverythingElse) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, nullptr, 0, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr),
            ERROR_SUCCESS);
  SetValue(key, nullptr, "default");
  SetValue(key, "DisplayName", "Kelvamo");
  SetValue(key, "DisplayVersion", "1.0");
  SetValue(key, "UninstallString", "\"C:\\x\\Uninstall.exe\"");
  SetValue(key, "Publisher", "someone");
  RegCloseKey(key);

  const std::string folder = MakeTempFolder();
  const std::string extracted = folder + "kelvamo.exe";
  WriteFile(folder + "kelvamo.uha");
  WriteFile(folder + "UHARC.EXE");
  WriteFile(extracted);

  RemovePayloadAndUninstallValues(folder);

  for (const char* gone : {"DisplayName", "DisplayVersion", "UninstallString"}) {
    EXPECT_FALSE(HasValue(kUninstallKey, gone)) << gone;
  }
  EXPECT_TRUE(HasValue(kUninstallKey, nullptr));
  EXPECT_TRUE(HasValue(kUninstallKey, "Publisher"));
  EXPECT_EQ(GetFileAttributesA((folder + "kelvamo.uha").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesA((folder + "UHARC.EXE").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesA(extracted.c_str()), INVALID_FILE_ATTRIBUTES);

  // A second run finds nothing to delete and is no fault.
  RemovePayloadAndUninstallValues(folder);
  EXPECT_FALSE(DeleteRegistryValue(kUninstallKey, "DisplayName"));
  EXPECT_FALSE(DeleteRegistryValue("SOFTWARE\\NoSuchKeyOfKelvamo", "DisplayName"));
  EXPECT_TRUE(DeleteRegistryValue(kUninstallKey, "Publisher"));

  DeleteFileA(extracted.c_str());
  RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
}

TEST(Rollback, StopsTheExtractorAndWaitsUntilItsFileIsFree) {
  StopExtractor();  // none running: nothing happens

  const std::string folder = MakeTempFolder();
  const std::string fakeExtractor = folder + "UHARC.EXE";
  ASSERT_TRUE(CopyFileA((FolderOfThisProgram() + "idle_child.exe").c_str(), fakeExtractor.c_str(),
                        FALSE));
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION child = {};
  std::string command = "\"" + fakeExtractor + "\"";
  ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &child));
  for (int i = 0; i < 50 && FindProcessByName("UHARC.EXE") == 0; ++i) Sleep(100);
  ASSERT_EQ(FindProcessByName("UHARC.EXE"), child.dwProcessId);

  StopExtractor();

  EXPECT_EQ(WaitForSingleObject(child.hProcess, 0), WAIT_OBJECT_0);
  DWORD exitCode = 0;
  GetExitCodeProcess(child.hProcess, &exitCode);
  EXPECT_EQ(exitCode, 4u);
  EXPECT_TRUE(DeleteFileA(fakeExtractor.c_str()));
  CloseHandle(child.hProcess);
  CloseHandle(child.hThread);
}
