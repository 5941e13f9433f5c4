#include "setup/engine/rollback.h"

#include <windows.h>

#include "lib/win32/process_handle.h"
#include "lib/win32/process_list.h"
#include "setup/engine/extractor_run.h"
#include "shared/kelvamo_product.h"
#include "shared/uharc_console.h"

bool StopExtractor() {
  const DWORD pid = FindProcessByName(kelvamo::kExtractorName);
  if (pid == 0) return true;
  const ProcessHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid));
  return process.TerminateAndWait(uharc::kExitTerminated, kExtractorStopWaitMs);
}
