// The rows the extractor writes to its console. An installer reads them back from the screen while
// they are written: the work at the start of the row, the percentage in fixed cells, the cursor
// right of it, and a blank row once everything is done. Each row is written with one call.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "shared/uharc_console.h"

namespace uharc {

// How text in the console's code page fills cells: a lead byte and the byte after it form one
// character, which takes two cells on Windows and one on Wine's console (measured at start-up).
struct CellModel {
  std::array<bool, 256> lead{};
  int double_byte_width = 2;
};

// Cells the text takes.
int WidthInCells(std::string_view text, const CellModel& model);

// Text cut to at most `cells` cells without splitting a double-byte character.
std::string ClipToCells(std::string_view text, int cells, const CellModel& model);

// "<verb> <name>", with the start of a long name replaced by "..." so that its end stays visible.
std::string StatusText(std::string_view verb, std::string_view name, const CellModel& model);

// A row showing the status text and a percentage; 100 and above show as 99, since a three-digit
// value would leave "00" in the two cells that are read.
std::string ProgressRow(std::string_view status, int percent, const CellModel& model);

// A closing error row: the whole row rewritten, then a line break.
std::string FinalRow(std::string_view text, const CellModel& model);

// The closing summary of a run that extracted everything: a progress row at 100 (showing 99), then
// a line break. A reader that catches the row before the line break still reads the percentage,
// not blanks that would set its bar back to 0 at the very end.
std::string SummaryRow(std::string_view text, const CellModel& model);

}  // namespace uharc
