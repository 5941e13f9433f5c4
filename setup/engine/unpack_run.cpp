#include "setup/engine/unpack_run.h"

#include "setup/engine/install_paths.h"
#include "setup/engine/message_pump.h"
#include "setup/framework/ansi_lead_byte.h"
#include "lib/win32/process_start.h"
#include "lib/win32/wide_path.h"

namespace {

constexpr DWORD kSpacingMs = 100;

bool IsFile(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace

bool UnpackRun::Fail(const std::string& what) {
  if (m_failure.empty()) m_failure = what;
  return false;
}

bool UnpackRun::StartFolder(const std::string& installDir, const std::string& folder) {
  const auto pattern = kelvamo::BuildPackSearchPattern(folder);
  if (!pattern) return Fail(folder);
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(pattern->c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return true;
  bool started = true;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
      started = StartOne(installDir, folder, entry.cFileName) && started;
    } else if (entry.cFileName[0] != '.') {
      started = StartFolder(installDir, folder + entry.cFileName + '\\') && started;
    }
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return started;
}

bool UnpackRun::StartOne(const std::string& installDir, const std::string& folder,
                         const char* packedName) {
  const std::string target = kelvamo::UnpackTargetName(packedName, kelvamo::IsAnsiLeadByte);
  auto command = kelvamo::BuildUnpackCommand(installDir, folder, packedName, target);
  if (!command) return Fail(folder + packedName);
  ProcessStart how;
  how.commandLine = WidenAnsi(command->data());
  how.show = SW_HIDE;
  ProcessHandle process = StartProcess(how);
  const bool started = static_cast<bool>(process);
  if (started) m_runs.push_back({std::move(process), folder + packedName, folder + target});
  SleepPumping(kSpacingMs);
  return started || Fail(folder + packedName);
}

bool UnpackRun::WaitAll(DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  bool allWell = m_failure.empty();
  for (const Run& run : m_runs) {
    const DWORD elapsed = GetTickCount() - start;
    DWORD code = STILL_ACTIVE;
    const bool ended = WaitPumping(run.process.Get(), elapsed < timeoutMs ? timeoutMs - elapsed : 0);
    const bool well = ended && GetExitCodeProcess(run.process.Get(), &code) && code == 0 &&
                      IsFile(run.outputPath);
    if (!well) allWell = Fail(run.packedPath);
  }
  return allWell;
}
