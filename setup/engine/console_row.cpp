#include "setup/engine/console_row.h"

namespace kelvamo {

namespace {

constexpr size_t kStatusCells = uharc::kTextCells;
constexpr size_t kTensCell = uharc::kTensColumn;
constexpr size_t kUnitsCell = uharc::kUnitsColumn;

std::string WithoutTrailingBlanks(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

}  // namespace

std::string RowText(const RowCells& cells) {
  size_t length = 0;
  while (length < kStatusCells && cells[length] != '\0') ++length;
  return std::string(cells.data(), length);
}

int ProgressValue(const RowCells& cells) {
  const int tens = static_cast<signed char>(cells[kTensCell]);
  const int units = static_cast<signed char>(cells[kUnitsCell]);
  return (tens == ' ' ? 0 : (tens - '0') * 10) + (units - '0');
}

bool ExtractionEnded(const std::string& row, const std::string& previous, int ticks) {
  return row == " " && !previous.empty() && previous != " " && ticks != 0;
}

MonitorTick TakeRow(const RowCells& cells, std::string& status, int& ticks) {
  const std::string previous = status;
  status = RowText(cells);
  if (ExtractionEnded(status, previous, ticks)) return {true, 100};
  ++ticks;
  return {false, ProgressValue(cells)};
}

std::string ErrorRowText(const RowCells& cursorRow, const RowCells& rowAbove) {
  const std::string cursorText = WithoutTrailingBlanks(RowText(cursorRow));
  return cursorText.empty() ? WithoutTrailingBlanks(RowText(rowAbove)) : cursorText;
}

}  // namespace kelvamo
