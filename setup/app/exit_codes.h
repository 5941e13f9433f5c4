#pragma once

// What setup.exe's exit code tells whoever started it (a deployment tool, a script); the README
// lists them.
constexpr int kExitInstalled = 0;  // Kelvamo is installed
// A guard refused before anything was written: a damaged installer, a newer version installed,
// an interrupted installation that could not be restored.
constexpr int kExitRefused = 1;
constexpr int kExitCancelled = 2;  // the user left; what was written has been taken back
constexpr int kExitFailed = 3;     // failed while writing; what was written has been taken back
// An interrupted installation was restored (or finished) at the start, and nothing was installed
// after it.
constexpr int kExitRecovered = 4;
