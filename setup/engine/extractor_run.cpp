#include "setup/engine/extractor_run.h"

#include "setup/engine/install_paths.h"
#include "setup/engine/message_pump.h"
#include "lib/win32/process_list.h"
#include "lib/win32/process_start.h"
#include "lib/win32/wide_path.h"
#include "shared/uharc_console.h"

namespace {

constexpr DWORD kPollMs = 300;

// The console's input or active screen buffer ("CONIN$", "CONOUT$"), whatever the standard
// handles were set to when the program started: a parent may have handed it pipes.
HANDLE OpenConsole(const char* name, bool inheritable) {
  SECURITY_ATTRIBUTES security = {sizeof(security), nullptr, inheritable};
  return CreateFileA(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     &security, OPEN_EXISTING, 0, nullptr);
}
HANDLE OpenConsoleScreen() { return OpenConsole("CONOUT$", false); }

// A fresh console of the program's own, hidden. A program started by a console program may be
// counted as attached to its parent's console without being able to use it, so any console it
// has is left first.
void AllocHiddenConsole() {
  FreeConsole();
  AllocConsole();
  HideConsoleWindow();
}

// Reads columns 0..lastColumn of console row `row` into the cells.
kelvamo::RowCells ReadRow(HANDLE screen, SHORT row, SHORT lastColumn) {
  kelvamo::RowCells cells{};
  CHAR_INFO buffer[kelvamo::kRowCells] = {};
  const SHORT maxColumn = static_cast<SHORT>(kelvamo::kRowCells - 1);
  SMALL_RECT region = {0, row, lastColumn < maxColumn ? lastColumn : maxColumn, row};
  const COORD size = {static_cast<SHORT>(kelvamo::kRowCells), 1};
  if (ReadConsoleOutputA(screen, buffer, size, COORD{0, 0}, &region)) {
    for (size_t i = 0; i < kelvamo::kRowCells; ++i) cells[i] = buffer[i].Char.AsciiChar;
  }
  return cells;
}

// Reads the row `rowsUp` rows above the cursor row: up to the cursor on the cursor row itself,
// whole rows above it. All zero when there is no console or no such row.
kelvamo::RowCells ReadRowNearCursor(SHORT rowsUp) {
  HANDLE screen = OpenConsoleScreen();
  if (screen == INVALID_HANDLE_VALUE) return kelvamo::RowCells{};
  kelvamo::RowCells cells{};
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (GetConsoleScreenBufferInfo(screen, &info) && info.dwCursorPosition.Y >= rowsUp) {
    const SHORT lastColumn =
        rowsUp == 0 ? info.dwCursorPosition.X : static_cast<SHORT>(kelvamo::kRowCells - 1);
    cells = ReadRow(screen, static_cast<SHORT>(info.dwCursorPosition.Y - rowsUp), lastColumn);
  }
  CloseHandle(screen);
  return cells;
}

}  // namespace

bool ExtractorRun::Start(const std::string& installDir, const std::string& commandLine) {
  m_process.Reset(nullptr);
  // The console first: the program that hosts it starts in the current folder, and would keep the
  // install folder from being removed after a cut-off run.
  AllocHiddenConsole();
  if (!SetCurrentDirectoryA(installDir.c_str())) return false;

  // The extractor writes to this console, handed over explicitly as its standard handles.
  ProcessStart how;
  how.commandLine = WidenAnsi(commandLine);
  how.show = SW_HIDE;
  how.inheritHandles = true;
  how.standardHandles = true;
  how.input = OpenConsole("CONIN$", true);
  how.output = how.error = OpenConsole("CONOUT$", true);
  if (how.input != INVALID_HANDLE_VALUE && how.output != INVALID_HANDLE_VALUE) {
    m_process = StartProcess(how);
  }
  if (how.input != INVALID_HANDLE_VALUE) CloseHandle(how.input);
  if (how.output != INVALID_HANDLE_VALUE) CloseHandle(how.output);
  return static_cast<bool>(m_process);
}

bool ExtractorRun::WaitUntilListed(DWORD timeoutMs) const {
  for (DWORD waited = 0;; waited += kPollMs) {
    if (FindProcessByName(kelvamo::kExtractorName) != 0 || HasEnded()) return true;
    if (waited >= timeoutMs) return false;
    Sleep(kPollMs);
  }
}

bool ExtractorRun::HasEnded() const { return m_process.HasEnded(); }

bool ExtractorRun::EndedWell(DWORD timeoutMs) const {
  DWORD code = STILL_ACTIVE;
  return m_process && WaitPumping(m_process.Get(), timeoutMs) &&
         GetExitCodeProcess(m_process.Get(), &code) &&
         code == uharc::kExitOk;
}

bool ExtractorRun::Stop() {
  return !m_process || m_process.TerminateAndWait(uharc::kExitTerminated, kExtractorStopWaitMs);
}

void HideConsoleWindow() {
  HWND console = FindWindowA("ConsoleWindowClass", nullptr);
  if (console == nullptr) console = GetConsoleWindow();
  if (console) ShowWindow(console, SW_HIDE);
}

kelvamo::RowCells ReadCursorRow() { return ReadRowNearCursor(0); }

kelvamo::RowCells ReadRowAboveCursor() { return ReadRowNearCursor(1); }
