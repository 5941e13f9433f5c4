#pragma once
#include <array>
#include <string>

#include "shared/uharc_console.h"

namespace kelvamo {

// The character byte of each cell of one console row, as read back from the screen buffer; cells
// the read did not reach hold 0.
constexpr size_t kRowCells = uharc::kConsoleWidth;
using RowCells = std::array<char, kRowCells>;

// Status text of a row: the bytes of the extractor's text cells, up to the first zero byte.
std::string RowText(const RowCells& cells);

// Bar value from the extractor's percentage cells, tens (a space below 10) and units, taken as
// signed bytes. Unread or non-digit cells give values outside 0..100 that the bar clamps.
int ProgressValue(const RowCells& cells);

// The extraction has ended when the row turned into a single blank after a row with text, and at
// least one progress tick has passed.
bool ExtractionEnded(const std::string& row, const std::string& previous, int ticks);

// One monitor tick: `status` takes the row's text; a progress tick counts in `ticks`.
struct MonitorTick {
  bool ended;
  int value;
};
MonitorTick TakeRow(const RowCells& cells, std::string& status, int& ticks);

// Text to keep on the status line when the extractor failed: its last row with text, which is the
// cursor row or, after the final line break, the row above it. Trailing blanks dropped.
std::string ErrorRowText(const RowCells& cursorRow, const RowCells& rowAbove);

}  // namespace kelvamo
