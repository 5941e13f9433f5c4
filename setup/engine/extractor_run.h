#pragma once
#include <windows.h>

#include <string>

#include "lib/win32/process_handle.h"
#include "setup/engine/console_row.h"

// How long a stopped extractor is given to be gone, so its files can be deleted.
constexpr DWORD kExtractorStopWaitMs = 5000;

// The extractor's run on the installer's own console, hidden, with the process handle kept so its
// exit code can be read: a failed extraction is never taken for success.
class ExtractorRun {
 public:
  // Makes `installDir` the current directory, allocates a hidden console of the program's own and
  // starts `commandLine` hidden on it. False when it could not be started.
  bool Start(const std::string& installDir, const std::string& commandLine);
  // Polls the process list every 300 ms until a process of the extractor's name is listed or ours
  // has already ended; false when `timeoutMs` passes first.
  bool WaitUntilListed(DWORD timeoutMs) const;
  bool HasEnded() const;
  // Waits up to `timeoutMs` for the process to end, dispatching window messages; true only when it
  // ended with exit code 0.
  bool EndedWell(DWORD timeoutMs) const;
  // Ends a run that is still going, as when the wizard gives up on it, and waits (bounded) until
  // it has gone: only then can its program file and the archive it reads be deleted. False when it
  // is still going.
  bool Stop();

 private:
  ProcessHandle m_process;
};

// The console window is found by its class where the platform names it so, else by asking the
// console itself.
void HideConsoleWindow();

// The row at the console's cursor, cells 0 to the cursor column; unread cells stay 0.
kelvamo::RowCells ReadCursorRow();
// The whole row above the cursor (all zero when the cursor is on the first row).
kelvamo::RowCells ReadRowAboveCursor();
