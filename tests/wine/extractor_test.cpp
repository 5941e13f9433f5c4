// UHARC.EXE run the way the installer runs it: on a hidden console the test allocates, started
// hidden with the installer's command line, its cursor row read back every 100 ms.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "shared/kelvamo_product.h"
#include "tests/wine/test_files.h"
#include "tests/wine/unix_links.h"
#include "lib/archive/uha_format.h"
#include "lib/archive/windows_upcase.h"
#include "lib/recompress/deflate_recipe.h"

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
  CONSOLE_SCREEN_BUFFER_INFO info, after;
  Sample s;
  // The cursor and the cells are two reads: a row written between them is read again, so a
  // sample never pairs a cursor from before a write with the text after it.
  do {
    s = Sample();
    if (!GetConsoleScreenBufferInfo(out, &info)) return s;
    s.x = info.dwCursorPosition.X;
    s.y = static_cast<SHORT>(info.dwCursorPosition.Y + row_offset);
    CHAR_INFO cells[80] = {};
    SMALL_RECT rect = {0, s.y, 79, s.y};
    ReadConsoleOutputA(out, cells, COORD{80, 1}, COORD{0, 0}, &rect);
    for (const CHAR_INFO& c : cells) s.cells += c.Char.AsciiChar ? c.Char.AsciiChar : ' ';
    if (!GetConsoleScreenBufferInfo(out, &after)) return s;
  } while (after.dwCursorPosition.X != info.dwCursorPosition.X ||
           after.dwCursorPosition.Y != info.dwCursorPosition.Y);
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
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        RemoveLink(dir + name, fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
      } else if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
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

// Files and folders below `folder` (ending in a backslash).
int CountEntries(const std::wstring& folder) {
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((folder + L"*").c_str(), &found);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    const std::wstring name = found.cFileName;
    if (name == L"." || name == L"..") continue;
    ++count;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      count += CountEntries(folder + name + L"\\");
  } while (FindNextFileW(find, &found));
  FindClose(find);
  return count;
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
    // The summary caught before its line break keeps the percentage as well.
    EXPECT_TRUE(s.cells.rfind("Extracting ", 0) == 0 || s.cells.rfind("All OK: ", 0) == 0)
        << s.cells;
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
      // Every entry counted once, whichever of the two threads extracted it (the folder also
      // holds the extractor and the archive).
      EXPECT_EQ(std::atoi(run.last_row.c_str() + 8), CountEntries(root) - 2) << run.last_row;
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

namespace {

// Archives no packer would write, made by hand: the entry table and the data are stored as
// uncompressed LZMA2 chunks, which every LZMA2 decoder reads.
struct HandEntry {
  std::string name;  // UTF-8
  std::string data;
  std::uint64_t mtime = 133485408000000000ull;  // 2024-01-01
  bool bad_crc = false;
  std::string recipe_of = {};  // when set, `data` is a recipe (coding 1) that must give this back
};

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char c : bytes) {
    crc ^= static_cast<std::uint8_t>(c);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

std::string Le(std::uint64_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
  return out;
}

std::string StoredLzma2(const std::string& data) {
  std::string out;
  for (std::size_t at = 0; at < data.size(); at += 65536) {
    const std::string piece = data.substr(at, 65536);
    out += static_cast<char>(at == 0 ? 1 : 2);
    out += static_cast<char>((piece.size() - 1) >> 8);
    out += static_cast<char>((piece.size() - 1) & 0xFF);
    out += piece;
  }
  return out + '\0';
}

std::string HandMadeArchive(const std::vector<HandEntry>& files) {
  std::string content, entries;
  for (const HandEntry& f : files) {
    content += f.data;
    const bool recipe = !f.recipe_of.empty();
    const std::string& original = recipe ? f.recipe_of : f.data;
    entries += Le(recipe ? 0x100 : 0, 2) + Le(f.name.size(), 2) + Le(0, 4) +
               Le(original.size(), 8) + Le(f.mtime, 8) +
               Le(Crc32(original) ^ (f.bad_crc ? 1 : 0), 4) + Le(f.data.size(), 8) + f.name;
  }
  const std::string stream = content.empty() ? "" : StoredLzma2(content);
  const std::string table = files.empty()
                                ? ""
                                : Le(0, 4) + Le(4096, 4) + Le(files.size(), 4) + Le(0, 4) +
                                      Le(stream.size(), 8) + Le(content.size(), 8) + entries;
  const std::string packed_table = StoredLzma2(table);
  std::string header = std::string("UHA") + char(uha::kVersion) + Le(0, 4) + Le(files.size(), 4) +
                       Le(files.empty() ? 0 : 1, 4) + Le(table.size(), 4) + Le(Crc32(table), 4) +
                       Le(40 + packed_table.size() + stream.size(), 8) + Le(packed_table.size(), 4);
  header += Le(Crc32(header), 4);
  return header + packed_table + stream;
}

std::string TempFolder() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  return temp;
}

// An install folder holding the extractor and a hand-made archive, run as the installer runs it.
ExtractorRun RunOn(const std::string& folder_name, const std::vector<HandEntry>& files,
                   std::string* folder_out = nullptr) {
  const std::string archive = TempFolder() + folder_name + ".uha";
  WriteFileText(archive, HandMadeArchive(files));
  const std::string folder =
      folder_out && !folder_out->empty() ? *folder_out : InstallFolder(folder_name, archive);
  if (folder_out) *folder_out = folder;
  CopyFileA(archive.c_str(), (folder + "kelvamo.uha").c_str(), FALSE);
  DeleteFileA(archive.c_str());
  return RunLikeTheInstaller(folder);
}

}  // namespace

// Links planted in the install folder beforehand: a link at a folder of an entry's path stops the
// run, and one at an entry's own name is replaced. Nothing outside is written, replaced or
// removed, whatever the run's outcome.
TEST(Extractor, NeverWritesThroughLinksPlantedInTheFolder) {
  UseHiddenConsole(80);
  // The folder first: under Wine, deleting a link to a file deletes its target instead.
  std::string folder = InstallFolder("uharc-links", WinPath(KELVAMO_PAYLOAD_ARCHIVE));
  const std::string outside = TempFolder() + "uharc-outside\\";
  RemoveTree(outside);
  CreateDirectoryA(outside.c_str(), nullptr);
  CreateDirectoryA((outside + "dir").c_str(), nullptr);
  WriteFileText(outside + "file.txt", "keep");
  WriteFileText(outside + "hard.txt", "keep");
  PlantLink(folder + "sub", outside + "dir", true);
  ASSERT_NE(GetFileAttributesA((folder + "sub").c_str()), INVALID_FILE_ATTRIBUTES);
  ExtractorRun run = RunOn("uharc-links", {{"sub/a.txt", "new"}}, &folder);
  EXPECT_NE(run.exit_code, 0u);
  EXPECT_NE(run.last_row.find("will not write through the link sub"), std::string::npos)
      << run.last_row;
  ExpectEndedWithALineBreak(run);
  EXPECT_FALSE(Exists(outside + "dir\\a.txt"));
  RemoveLink(folder + "sub", true);

  PlantLink(folder + "victim", outside + "file.txt", false);
  PlantLink(folder + "dangling", outside + "nowhere.txt", false);
  ASSERT_TRUE(
      CreateHardLinkA((folder + "shared").c_str(), (outside + "hard.txt").c_str(), nullptr));
  ASSERT_EQ(ReadFileText(folder + "victim"), "keep");
  const std::vector<HandEntry> files = {
      {"victim", "new victim"}, {"dangling", "new dangling"}, {"shared", "new shared"}};
  std::vector<HandEntry> bad = files;
  bad[0].bad_crc = true;
  run = RunOn("uharc-links", bad, &folder);
  EXPECT_NE(run.exit_code, 0u);
  EXPECT_NE(run.last_row.find("checksum mismatch in victim"), std::string::npos) << run.last_row;
  EXPECT_EQ(ReadFileText(outside + "file.txt"), "keep");

  run = RunOn("uharc-links", files, &folder);
  EXPECT_EQ(run.exit_code, 0u) << run.last_row;
  EXPECT_EQ(ReadFileText(outside + "file.txt"), "keep");
  EXPECT_EQ(ReadFileText(outside + "hard.txt"), "keep");
  EXPECT_FALSE(Exists(outside + "nowhere.txt"));
  for (const HandEntry& f : files) EXPECT_EQ(ReadFileText(folder + f.name), f.data) << f.name;
  for (const HandEntry& f : files) RemoveLink(folder + f.name, false);
  RemoveTree(folder);
  RemoveTree(outside);
}

TEST(Extractor, KeepsTheInstalledFileWhenItsReplacementFailsItsChecksum) {
  UseHiddenConsole(80);
  std::string folder = InstallFolder("uharc-keep", WinPath(KELVAMO_PAYLOAD_ARCHIVE));
  WriteFileText(folder + "a.txt", "installed before");
  HandEntry bad = {"a.txt", "from the archive"};
  bad.bad_crc = true;
  const ExtractorRun run = RunOn("uharc-keep", {bad}, &folder);
  EXPECT_NE(run.exit_code, 0u);
  EXPECT_EQ(ReadFileText(folder + "a.txt"), "installed before");
  WIN32_FIND_DATAA fd;
  HANDLE h = FindFirstFileA((folder + "uharc-*").c_str(), &fd);
  EXPECT_EQ(h, INVALID_HANDLE_VALUE) << "temporary file left: " << fd.cFileName;
  if (h != INVALID_HANDLE_VALUE) FindClose(h);
  RemoveTree(folder);
}

class Collect : public uha::ByteSink {
 public:
  uha::Status Put(const std::uint8_t* data, std::size_t size) override {
    bytes.append(reinterpret_cast<const char*>(data), size);
    return {};
  }
  std::string bytes;
};

TEST(Extractor, ARecipeGivingOtherBytesIsAnErrorAndLeavesNoFile) {
  UseHiddenConsole(80);
  std::vector<std::uint8_t> text;
  for (int i = 0; text.size() < 100000; ++i) {
    const std::string line = "row " + std::to_string(i * 7919 % 100003) + " of the table;\n";
    text.insert(text.end(), line.begin(), line.end());
  }
  const uha::DeflateParams zlib{6, 8, 15, 1};
  Collect zlib_stream;
  uha::Redeflater deflater;
  ASSERT_TRUE(deflater.Start(zlib, zlib_stream).ok());
  ASSERT_TRUE(deflater.Feed(text.data(), text.size()).ok() && deflater.Finish().ok());
  // Each recipe made right, then one setting changed: `at` is its offset in the record.
  struct Case {
    const char* what;
    std::vector<std::uint8_t> recipe;
    std::size_t at;
  } cases[] = {{"zlib level", {}, 1}, {"IDAT chunk size", {}, 24}, {"zlib strategy", {}, 4},
               {"model correction", {}, 0}};
  uha::AppendDeflate(cases[0].recipe, zlib, text, zlib_stream.bytes.size());
  uha::AppendIdat(cases[1].recipe, zlib, uha::IdatLayout{{0x78, 0x9C}, 4096}, text,
                  zlib_stream.bytes.size());
  uha::AppendDeflate(cases[2].recipe, zlib, text, zlib_stream.bytes.size());
  // The model takes any stream: here zlib's, its record's last correction changed.
  const std::vector<std::uint8_t> stream(zlib_stream.bytes.begin(), zlib_stream.bytes.end());
  const std::optional<uha::ModelledStream> modelled =
      uha::ModelDeflateStream(stream.data(), stream.size());
  ASSERT_TRUE(modelled.has_value());
  uha::AppendModel(cases[3].recipe, *modelled);
  cases[3].at = uha::kModelHeadSize + modelled->record.size() - 2;
  for (Case& c : cases) {
    Collect original;
    uha::RecipeDecoder decoder(original);
    ASSERT_TRUE(decoder.Put(c.recipe.data(), c.recipe.size()).ok() && decoder.End().ok()) << c.what;
    c.recipe[c.at] ^= 2;
    HandEntry bad = {"rebuilt.txt", std::string(c.recipe.begin(), c.recipe.end())};
    bad.recipe_of = original.bytes;
    std::string folder;
    const ExtractorRun run = RunOn("uharc-recipe", {bad}, &folder);
    EXPECT_NE(run.exit_code, 0u) << c.what;
    EXPECT_EQ(run.last_row.rfind("UHARC: ", 0), 0u) << c.what << ": " << run.last_row;
    EXPECT_FALSE(Exists(folder + "rebuilt.txt")) << c.what;
    RemoveTree(folder);
  }
}

// Names Windows (and Wine) take for one file, by case beyond A to Z or through an 8.3 alias: the
// archive is refused before anything is made.
TEST(Extractor, RefusesNamesWindowsWouldMerge) {
  UseHiddenConsole(80);
  const struct {
    const char* first;
    const char* second;
    const char* reason;
  } cases[] = {
      {"\xC3\x84.txt", "\xC3\xA4.txt", "one name on Windows"},          // Ä ä
      {"\xCE\xA3.txt", "\xCF\x83.txt", "one name on Windows"},          // Σ σ
      {"\xEF\xBC\xA1.txt", "\xEF\xBD\x81.txt", "one name on Windows"},  // Ａ ａ
      {"longfilename.txt", "LONG~LMQ.TXT", "short (8.3) name"},
  };
  for (const auto& c : cases) {
    std::string folder;
    const ExtractorRun run =
        RunOn("uharc-case", {{c.first, "first"}, {c.second, "second"}}, &folder);
    EXPECT_NE(run.exit_code, 0u) << c.second;
    EXPECT_NE(run.last_row.find(c.reason), std::string::npos) << run.last_row;
    ExpectEndedWithALineBreak(run);
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "*.txt").c_str(), &fd);
    EXPECT_EQ(h, INVALID_HANDLE_VALUE) << c.second << ": " << fd.cFileName;
    if (h != INVALID_HANDLE_VALUE) FindClose(h);
    RemoveTree(folder);
  }
}

// The one table the packer and both extractors fold names with, against the file system's own
// uppercase table: any two characters it takes for one fold alike.
TEST(Extractor, NameFoldingCoversTheUppercaseTableOfTheFileSystem) {
  const auto upcase = SystemFunction<WCHAR(WINAPI*)(WCHAR)>("ntdll.dll", "RtlUpcaseUnicodeChar");
  ASSERT_NE(upcase, nullptr);
  int mapped = 0;
  for (std::uint32_t c = 0; c < 0x10000; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    const std::uint32_t up = upcase(static_cast<WCHAR>(c));
    mapped += up != c;
    EXPECT_EQ(uha::UpcaseForNames(c), uha::UpcaseForNames(up)) << std::hex << c;
  }
  EXPECT_GT(mapped, 1000);
}

TEST(Extractor, NamesTheFaultOfAnEmptyArchiveABrokenNameAndAnImpossibleTime) {
  UseHiddenConsole(80);
  HandEntry late = {"late.txt", "x"};
  late.mtime = std::uint64_t{1} << 63;
  const struct {
    std::vector<HandEntry> files;
    const char* row;
  } cases[] = {
      {{}, "UHARC: empty archive: it holds no entries"},
      {{{"ok.txt", "x"}, {"\xC3\x28.txt", "y"}},
       "UHARC: unsafe entry name \"\\xC3(.txt\": is not valid UTF-8"},
      {{late}, "UHARC: damaged archive: entry time out of range"},
  };
  for (const auto& c : cases) {
    std::string folder;
    const ExtractorRun run = RunOn("uharc-faults", c.files, &folder);
    EXPECT_NE(run.exit_code, 0u) << c.row;
    EXPECT_EQ(run.last_row, c.row);
    ExpectEndedWithALineBreak(run);
    EXPECT_FALSE(Exists(folder + "ok.txt"));
    EXPECT_FALSE(Exists(folder + "late.txt"));
    RemoveTree(folder);
  }
}

// A deep tree extracts whole and in a time the installer's user would wait for. Each folder is made
// once and files are made and renamed relative to their open folder, but Wine still walks every
// folder of a new name, so here the time grows with depth all the same: 100 files at depth 500
// took 19 s the old way and 8 to 16 s now on a loaded bench (natively 20 s and under 1 s).
TEST(Extractor, ExtractsADeepTreeWithoutRemakingItsFolders) {
  UseHiddenConsole(80);
  std::string path;
  for (int i = 0; i < 500; ++i) path += i % 2 ? "e/" : "d/";
  std::vector<HandEntry> files;
  for (int i = 0; i < 100; ++i) files.push_back({path + std::to_string(i), ""});
  std::string folder;
  const DWORD start = GetTickCount();
  const ExtractorRun run = RunOn("uharc-deep", files, &folder);
  const DWORD took = GetTickCount() - start;
  EXPECT_EQ(run.exit_code, 0u) << run.last_row;
  EXPECT_LT(took, 60000u);
  for (char& c : path) c = c == '/' ? '\\' : c;
  EXPECT_TRUE(Exists(Wide("\\\\?\\" + folder + path + "99")));
}
