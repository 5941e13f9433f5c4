#pragma once

// What Uninstall.exe promises whoever starts it: its one switch and its exit codes. Deployment
// tools start it with kSilentSwitch and read the code; the tests do the same.
namespace kelvamo {

// Removes without any window; the started process ends when the removal is done.
constexpr wchar_t kSilentSwitch[] = L"/S";

constexpr int kUninstallDone = 0;        // Kelvamo was removed (a user's own files may stay)
constexpr int kUninstallCancelled = 1;   // the user said no: nothing was removed
constexpr int kUninstallAppRunning = 2;  // kelvamo.exe runs from the folder: nothing was removed
constexpr int kUninstallNoList = 3;      // the file list is missing or damaged: no file was removed
constexpr int kUninstallIncomplete = 4;  // some file, folder, link or key could not be removed
constexpr int kUninstallFailed = 5;      // a bad command line, or the work could not be started
// An installation was cut off in this folder: setup.exe restores it at its next start. Nothing
// was removed.
constexpr int kUninstallInterrupted = 6;

}  // namespace kelvamo
