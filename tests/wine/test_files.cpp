#include "tests/wine/test_files.h"

#include <gtest/gtest.h>

#include "setup/engine/install_log.h"
#include "shared/kelvamo_product.h"

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileText(const std::string& path) {
  std::string text;
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  char chunk[4096];
  DWORD count = 0;
  while (ReadFile(file, chunk, sizeof(chunk), &count, nullptr) && count > 0) text.append(chunk, count);
  CloseHandle(file);
  return text;
}

void WriteFileText(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
  DWORD count = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &count, nullptr);
  CloseHandle(file);
}

std::wstring Wide(const std::string& ansi) {
  const int n = MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, nullptr, 0);
  if (n <= 0) return L"";
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.c_str(), -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

void ForgetRegisteredInstallation() { RegDeleteKeyA(HKEY_LOCAL_MACHINE, kelvamo::kUninstallKey); }

std::string ProductRecords() {
  std::string state;
  for (const char* keyName : {kelvamo::kAppKey, kelvamo::kUninstallKey}) {
    state += keyName;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyName, 0, KEY_READ, &key) != ERROR_SUCCESS) {
      state += " <no key>\n";
      continue;
    }
    state += '\n';
    for (DWORD i = 0;; ++i) {
      char name[256];
      BYTE data[2048];
      DWORD nameSize = sizeof(name), dataSize = sizeof(data), type = 0;
      if (RegEnumValueA(key, i, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) {
        break;
      }
      state += std::string("  ") + name + " (" + std::to_string(type) + ") " +
               std::string(reinterpret_cast<const char*>(data), dataSize) + '\n';
    }
    RegCloseKey(key);
  }
  return state;
}

std::string SetupLogText() {
  std::string text;
  HANDLE file = CreateFileW(SetupLogPath().c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return text;
  char chunk[8192];
  for (DWORD got = 0; ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got;) {
    text.append(chunk, got);
  }
  CloseHandle(file);
  return text;
}

std::string LastLogLine(const std::string& log) {
  const size_t end = log.size() >= 2 ? log.size() - 2 : 0;
  const size_t start = log.rfind('\n', end > 0 ? end - 1 : 0);
  const std::string line = log.substr(start == std::string::npos ? 0 : start + 1);
  return line.substr(line.find(' ') + 1);
}

std::string OutcomeLine(int exitCode, const char* outcome) {
  return kOutcomePrefix + std::string(outcome) + ", exit code " + std::to_string(exitCode) + "\r\n";
}
