#pragma once

// What UHARC.EXE promises the installer that runs it: where its console row puts the status and
// the percentage, which the installer reads back from the screen, and its exit codes.
namespace uharc {

// Columns count from 0. Status text stays within the first kTextCells cells; the tens digit of the
// percentage stands in kTensColumn, the units digit in kUnitsColumn, a '%' after that, and the
// cursor ends one further right, at kRowCells: the row never reaches column 80, so it never wraps.
constexpr int kTextCells = 60;
constexpr int kTensColumn = 76;
constexpr int kUnitsColumn = kTensColumn + 1;
constexpr int kRowCells = 79;
// Cells of one console row as the installer reads it back.
constexpr int kConsoleWidth = 80;
static_assert(kTextCells < kTensColumn && kUnitsColumn < kRowCells && kRowCells < kConsoleWidth);

// Exit codes. kExitTerminated is not the extractor's own: it is the code the installer ends a run
// with when it gives up on it, so that it never reads as success.
constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitTerminated = 4;

}  // namespace uharc
