// UHARC.EXE run the way the installer runs it: on a hidden console the test allocates, started
// hidden with the installer's command line, its cursor row read back every 100 ms.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "kelvamo_product.h"
#include "test_files.h"

using kelvamo::kArchiveName;
using kelvamo::kExtractorName;

namespace {

std::string WinPath(std::string unix_path) {
  for (char& c : unix_path) {
    if (c == '/') c = '\\';
  }
  return "Z:" + unix_path;
}

// One read of the cursor row, as the installer's timer takes it.
struct Sample {
  SHORT x = 0;
  SHORT y = 0;
  std::string cells;  // all 80 cells of the row
  std::string Text() const { return cells.substr(0, cells.find_last_not_of(' ') + 1); }
  bool BlankAtColumnZero() const { return x == 0 && cells[0] == ' '; }
};

Sample ReadRow(SHORT row_offset = 0) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  CONSOLE_SCREEN_BUFFER_INFO info;
  Sample s;
  if (!GetConsoleScreenBufferInfo(out, &info)) return s;
  s.x = info.dwCursorPosition.X;
  s.y = static_cast<SHORT>(info.dwCursorPosition.Y + row_offset);
  CHAR_INFO cells[80] = {};
  SMALL_RECT rect = {0, s.y, 79, s.y};
  ReadConsoleOutputA(out, cells, COORD{80, 1}, COORD{0, 0}, &rect);
  for (const CHAR_INFO& c : cells) s.cells += c.Char.AsciiChar ? c.Char.AsciiChar : ' ';
  return s;
}

struct ExtractorRun {
  DWORD exit_code = 0;
  std::vector<Sample> samples;  // taken while the extractor ran
  Sample end;                   // the cursor row once it has ended
  std::string last_row;         // the row above it
};

// A hidden console of the test's own, like the installer's: AllocConsole after FreeConsole.
void UseHiddenConsole(SHORT width) {
  static bool ready = false;
  if (!ready) {
    FreeConsole();
    ASSERT_TRUE(AllocConsole());
    ShowWindow(GetConsoleWindow(), SW_HIDE);
    SetStdHandle(STD_OUTPUT_HANDLE, CreateFileA("CONOUT$", GENERIC_READ | GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
    SetStdHandle(STD_INPUT_HANDLE, CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                               OPEN_EXISTING, 0, nullptr));
    ready = true;
  }
  SetConsoleScreenBufferSize(GetStdHandle(STD_OUTPUT_HANDLE), COORD{width, 2000});
}

void RemoveTree(const std::string& dir) {
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((dir + "*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::string name = fd.cFileName;
      if (name == "." || name == "..") continue;
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(dir + name + "\\");
      } else {
        SetFileAttributesA((dir + name).c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA((dir + name).c_str());
      }
    } while (FindNextFileA(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

// A fresh install folder holding the extractor and `archive` as kelvamo.uha.
std::string InstallFolder(const std::string& name, const std::string& archive) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string folder = std::string(temp) + "uharc " + name + "\\";
  RemoveTree(folder);
  CreateDirectoryA(folder.c_str(), nullptr);
  EXPECT_TRUE(
      CopyFileA(WinPath(KELVAMO_EXTRACTOR).c_str(), (folder + kExtractorName).c_str(), FALSE));
  EXPECT_TRUE(CopyFileA(archive.c_str(), (folder + kArchiveName).c_str(), FALSE));
  return folder;
}

ExtractorRun RunLikeTheInstaller(const std::string& folder) {
  SetCurrentDirectoryA(folder.c_str());
  std::string command = "\"" + folder + "\\UHARC.EXE\" x -y \"" + folder + "\\kelvamo.uha\"";
  STARTUPINFOA si = {};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESHOWWINDOW;
  si.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION pi = {};
  ExtractorRun run;
  if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    ADD_FAILURE() << "cannot start " << command;
    return run;
  }
  while (WaitForSingleObject(pi.hProcess, 100) == WAIT_TIMEOUT) run.samples.push_back(ReadRow());
  GetExitCodeProcess(pi.hProcess, &run.exit_code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  run.end = ReadRow();
  run.last_row = ReadRow(-1).Text();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  SetCurrentDirectoryA(temp);
  return run;
}

// The end as the installer sees it: cursor at column 0 of a blank row.
void ExpectEndedWithALineBreak(const ExtractorRun& run) {
  EXPECT_EQ(run.end.x, 0);
  EXPECT_EQ(run.end.Text(), "");
}

// Every row read while the extractor worked must read right for the installer.
void ExpectWellFormedProgress(const ExtractorRun& run) {
  int last_percent = 0, rows_with_text = 0;
  bool ended = false;  // the installer would take the first blank row after text as the end
  for (const Sample& s : run.samples) {
    if (s.Text().empty()) {
      ended = ended || rows_with_text > 0;
      continue;
    }
    EXPECT_FALSE(ended) << "a blank row came before the extractor had finished: " << s.cells;
    ++rows_with_text;
    EXPECT_EQ(s.cells.rfind("Extracting ", 0), 0u) << s.cells;
    EXPECT_GE(s.x, 77) << s.cells;
    EXPECT_EQ(s.cells[75], ' ') << "three-digit percentage: " << s.cells;
    const char tens = s.cells[76], units = s.cells[77];
    ASSERT_TRUE(tens == ' ' || (tens >= '1' && tens <= '9')) << s.cells;
    ASSERT_TRUE(units >= '0' && units <= '9') << s.cells;
    const int percent = (tens == ' ' ? 0 : (tens - '0') * 10) + (units - '0');
    EXPECT_GE(percent, last_percent);
    last_percent = percent;
  }
  EXPECT_GE(rows_with_text, 3) << "a 100 ms poller should see several progress rows";
}

}  // namespace

TEST(Extractor, ShowsReadableProgressOnAHiddenConsoleAndEndsOnABlankRow) {
  for (const SHORT width : {SHORT{80}, SHORT{132}}) {
    UseHiddenConsole(width);
    const std::string folder = InstallFolder("progress", WinPath(KELVAMO_PAYLOAD_ARCHIVE));
    const std::wstring root = Wide(folder);
    // Twice into the same folder: the second run overwrites everything without asking, files
    // left hidden, system or read-only included.
    for (int pass = 0; pass < 2; ++pass) {
      const ExtractorRun run = RunLikeTheInstaller(folder);
      EXPECT_EQ(run.exit_code, 0u) << run.last_row;
      ExpectWellFormedProgress(run);
      ExpectEndedWithALineBreak(run);
      EXPECT_EQ(run.last_row.rfind("All OK", 0), 0u) << run.last_row;
      SetFileAttributesW((root + L"kelvamo.exe").c_str(),
                         FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
      SetFileAttributesW((root + L"Uninstall.exe").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    for (const wchar_t* name : {L"kelvamo.exe", L"Uninstall.exe", L"jre\\bin\\unpack200.exe"}) {
      EXPECT_TRUE(Exists(root + name)) << width;
    }
#ifdef KELVAMO_SAMPLE_PRODUCT
    for (const wchar_t* name :
         {L"jre\\lib\\rt.jar.pack.gz", L"jre\\lib\\ext\\localedata.jar.pack.gz",
          L"\u6587\u6863\\\u4f7f\u7528\u8bf4\u660e.txt"}) {
      EXPECT_TRUE(Exists(root + name)) << width;
    }
#endif
    RemoveTree(folder);
  }
}

TEST(Extractor, DamagedArchiveOrUnwritableFileGivesAnErrorRowAndNonzeroExit) {
  UseHiddenConsole(80);
  const std::string good = WinPath(KELVAMO_PAYLOAD_ARCHIVE);
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string cut = std::string(temp) + "cut.uha";
  const std::string whole = ReadFileText(good);
  ASSERT_NE(whole, "<missing>");
  WriteFileText(cut, whole.substr(0, whole.size() / 2));
  const std::string folder = InstallFolder("damaged", cut);
  ExtractorRun run = RunLikeTheInstaller(folder);
  EXPECT_NE(run.exit_code, 0u);
  EXPECT_EQ(run.last_row.rfind("UHARC: damaged archive", 0), 0u) << run.last_row;
  ExpectEndedWithALineBreak(run);
  RemoveTree(folder);

  const std::string locked_folder = InstallFolder("locked", good);
  HANDLE locked = CreateFileA((locked_folder + "README.txt").c_str(), GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(locked, INVALID_HANDLE_VALUE);
  run = RunLikeTheInstaller(locked_folder);
  CloseHandle(locked);
  EXPECT_NE(run.exit_code, 0u);
  EXPECT_NE(run.last_row.find("cannot create README.txt"), std::string::npos) << run.last_row;
  ExpectEndedWithALineBreak(run);
  RemoveTree(locked_folder);
  DeleteFileA(cut.c_str());
}

TEST(Extractor, CreatesPathsBeyondMaxPathAndChineseNames) {
  UseHiddenConsole(80);
  const std::string folder = InstallFolder("long names", WinPath(KELVAMO_LONG_NAMES_ARCHIVE));
  const ExtractorRun run = RunLikeTheInstaller(folder);
  EXPECT_EQ(run.exit_code, 0u) << run.last_row;
  ExpectEndedWithALineBreak(run);
  std::wstring deep = L"\\\\?\\" + Wide(folder);
  for (int level = 1; level <= 12; ++level) {
    deep += L"folder_at_level_" + std::to_wstring(level) + L"_of_a_deep_tree\\";
  }
  deep += L"deep.txt";
  EXPECT_GT(deep.size(), static_cast<std::size_t>(MAX_PATH));
  EXPECT_TRUE(Exists(deep));
  EXPECT_TRUE(
      Exists(Wide(folder) + L"\u4e2d\u6587\u76ee\u5f55\\\u5b50\u76ee\u5f55\\\u8bf4\u660e.txt"));
}
