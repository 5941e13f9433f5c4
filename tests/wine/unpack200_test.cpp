// The runtime's unpack200 stand-in, run with the command line the installer builds for each
// packed library: "<folder>jre\bin\unpack200" "<lib>X.jar.pack.gz" "<lib>X.jar".
#include <gtest/gtest.h>
#include <windows.h>
#include <zlib.h>

#include <string>
#include <vector>

#include "tests/common/zlib_deflate.h"

namespace {

using Bytes = std::vector<unsigned char>;

std::string WinPath(std::string unix_path) {
  for (char& c : unix_path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + unix_path;
}

Bytes Gzip(const Bytes& data) {
  Bytes out = ZlibDeflate(data, 9, 15 + 16, 9);
  EXPECT_FALSE(out.empty());
  return out;
}

// A jar-shaped byte string: zip signature first, end-of-directory record last.
Bytes Jar(std::size_t size) {
  Bytes jar = {'P', 'K', 3, 4};
  for (std::size_t i = 0; jar.size() < size - 22; ++i)
    jar.push_back(static_cast<unsigned char>((i * 7919) >> 5));
  const unsigned char end[22] = {'P', 'K', 5, 6};
  jar.insert(jar.end(), end, end + 22);
  return jar;
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD n = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
}

Bytes ReadBytes(const std::string& path) {
  Bytes bytes;
  HANDLE h =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(GetFileSize(h, nullptr));
  DWORD n = 0;
  ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
  return bytes;
}

DWORD RunHidden(std::string command) {
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi = {};
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    return 0xFFFFFFFF;
  }
  WaitForSingleObject(pi.hProcess, 30000);
  DWORD code = 0xFFFFFFFF;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  return code;
}

}  // namespace

TEST(Unpack200, WritesTheJarForTheInstallersCommandAndNothingOnBadInput) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "Program Files\\kelvamo\\";
  const std::string lib = folder + "jre\\lib\\";
  for (const std::string& dir :
       {std::string(temp) + "Program Files", folder, folder + "jre", folder + "jre\\bin", lib}) {
    CreateDirectoryA(dir.c_str(), nullptr);
  }
  ASSERT_TRUE(CopyFileA(WinPath(KELVAMO_UNPACK200).c_str(),
                        (folder + "jre\\bin\\unpack200.exe").c_str(), FALSE));
  auto command = [&](const std::string& packed, const std::string& target) {
    return "\"" + folder + "jre\\bin\\unpack200\" \"" + lib + packed + "\" \"" + lib + target +
           "\"";
  };

  const Bytes jar = Jar(300000);
  const Bytes packed = Gzip(jar);
  WriteBytes(lib + "rt.jar.pack.gz", packed);
  EXPECT_EQ(RunHidden(command("rt.jar.pack.gz", "rt.jar")), 0u);
  EXPECT_TRUE(ReadBytes(lib + "rt.jar") == jar);
  EXPECT_TRUE(ReadBytes(lib + "rt.jar.pack.gz") == packed) << "the packed file stays";

  const struct {
    const char* what;
    Bytes content;
  } bad[] = {
      {"cut short", Bytes(packed.begin(), packed.begin() + packed.size() / 2)},
      {"not gzip", jar},
      {"not a jar", Gzip(Bytes(1000, 'x'))},
      {"empty", Bytes()},
  };
  for (const auto& b : bad) {
    WriteBytes(lib + "bad.jar.pack.gz", b.content);
    EXPECT_NE(RunHidden(command("bad.jar.pack.gz", "bad.jar")), 0u) << b.what;
    EXPECT_EQ(GetFileAttributesA((lib + "bad.jar").c_str()), INVALID_FILE_ATTRIBUTES) << b.what;
  }
  EXPECT_NE(RunHidden(command("missing.jar.pack.gz", "missing.jar")), 0u);
  EXPECT_NE(RunHidden("\"" + folder + "jre\\bin\\unpack200\" \"" + lib + "rt.jar.pack.gz\""), 0u);
}
