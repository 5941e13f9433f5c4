#include "engine/extractor_run.h"

#include <vector>

#include "engine/install_paths.h"
#include "engine/message_pump.h"
#include "engine/process_list.h"

namespace {

constexpr DWORD kPollMs = 300;

// Reads columns 0..lastColumn of console row `row` into the cells.
kelvamo::RowCells ReadRow(SHORT row, SHORT lastColumn) {
  kelvamo::RowCells cells{};
  CHAR_INFO buffer[kelvamo::kRowCells] = {};
  const SHORT maxColumn = static_cast<SHORT>(kelvamo::kRowCells - 1);
  SMALL_RECT region = {0, row, lastColumn < maxColumn ? lastColumn : maxColumn, row};
  const COORD size = {static_cast<SHORT>(kelvamo::kRowCells), 1};
  if (ReadConsoleOutputA(GetStdHandle(STD_OUTPUT_HANDLE), buffer, size, COORD{0, 0}, &region)) {
    for (size_t i = 0; i < kelvamo::kRowCells; ++i) cells[i] = buffer[i].Char.AsciiChar;
  }
  return cells;
}

bool CursorPosition(COORD* cursor) {
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (!GetConsoleScreenBufferInfo(GetStdHandle(STD_OUTPUT_HANDLE), &info)) return false;
  *cursor = info.dwCursorPosition;
  return true;
}

}  // namespace

ExtractorRun::~ExtractorRun() {
  if (m_process) CloseHandle(m_process);
}

bool ExtractorRun::Start(const std::string& installDir, const std::string& commandLine) {
  if (m_process) CloseHandle(m_process);
  m_process = nullptr;
  if (!SetCurrentDirectoryA(installDir.c_str())) return false;
  AllocConsole();  // fails harmlessly when the program already has its console
  HideConsoleWindow();

  std::vector<char> command(commandLine.begin(), commandLine.end());
  command.push_back('\0');
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_HIDE;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  m_process = process.hProcess;
  return true;
}

bool ExtractorRun::WaitUntilListed(DWORD timeoutMs) const {
  for (DWORD waited = 0;; waited += kPollMs) {
    if (FindProcessByName(kelvamo::kExtractorName) != 0 || HasEnded()) return true;
    if (waited >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

bool ExtractorRun::HasEnded() const {
  return m_process && WaitForSingleObject(m_process, 0) == WAIT_OBJECT_0;
}

bool ExtractorRun::EndedWell(DWORD timeoutMs) const {
  DWORD code = STILL_ACTIVE;
  return m_process && WaitPumping(m_process, timeoutMs) && GetExitCodeProcess(m_process, &code) &&
         code == 0;
}

void ExtractorRun::Stop() {
  if (m_process && !HasEnded()) TerminateProcess(m_process, 4);
}

void HideConsoleWindow() {
  HWND console = FindWindowA("ConsoleWindowClass", nullptr);
  if (console == nullptr) console = GetConsoleWindow();
  if (console) ShowWindow(console, SW_HIDE);
}

kelvamo::RowCells ReadCursorRow() {
  COORD cursor;
  if (!CursorPosition(&cursor)) return kelvamo::RowCells{};
  return ReadRow(cursor.Y, cursor.X);
}

kelvamo::RowCells ReadRowAboveCursor() {
  COORD cursor;
  if (!CursorPosition(&cursor) || cursor.Y == 0) return kelvamo::RowCells{};
  return ReadRow(static_cast<SHORT>(cursor.Y - 1), static_cast<SHORT>(kelvamo::kRowCells - 1));
}
