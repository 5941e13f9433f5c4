#include "uharc/console_rows.h"

#include <algorithm>
#include <vector>

namespace uharc {
namespace {

struct Char {
  std::size_t start;  // byte offset
  int cells;
};

// The characters of the text, plus an end marker of no width.
std::vector<Char> Chars(std::string_view text, const CellModel& model) {
  std::vector<Char> chars;
  for (std::size_t i = 0; i < text.size();) {
    const bool pair = model.lead[static_cast<unsigned char>(text[i])] && i + 1 < text.size();
    chars.push_back({i, pair ? model.double_byte_width : 1});
    i += pair ? 2 : 1;
  }
  chars.push_back({text.size(), 0});
  return chars;
}

std::string PaddedTo(std::string text, int cells, const CellModel& model) {
  text.append(static_cast<std::size_t>(std::max(0, cells - WidthInCells(text, model))), ' ');
  return text;
}

}  // namespace

int WidthInCells(std::string_view text, const CellModel& model) {
  int width = 0;
  for (const Char& c : Chars(text, model)) width += c.cells;
  return width;
}

std::string ClipToCells(std::string_view text, int cells, const CellModel& model) {
  std::size_t end = 0;
  int width = 0;
  for (const Char& c : Chars(text, model)) {
    end = c.start;
    width += c.cells;
    if (width > cells) break;
  }
  return std::string(text.substr(0, end));
}

std::string StatusText(std::string_view verb, std::string_view name, const CellModel& model) {
  std::string text = std::string(verb) + " ";
  const int room = kTextCells - static_cast<int>(text.size());
  if (WidthInCells(name, model) <= room) return text + std::string(name);
  const int tail_room = std::max(0, room - 3);
  for (const Char& c : Chars(name, model)) {
    if (WidthInCells(name.substr(c.start), model) <= tail_room) {
      return text + "..." + std::string(name.substr(c.start));
    }
  }
  return text + "...";
}

std::string ProgressRow(std::string_view status, int percent, const CellModel& model) {
  const int p = std::clamp(percent, 0, 99);
  std::string row = "\r" + PaddedTo(ClipToCells(status, kTextCells, model), kTensColumn, model);
  row += p < 10 ? ' ' : static_cast<char>('0' + p / 10);
  row += static_cast<char>('0' + p % 10);
  row += '%';
  return row;
}

std::string FinalRow(std::string_view text, const CellModel& model) {
  return "\r" + PaddedTo(ClipToCells(text, kRowCells, model), kRowCells, model) + "\r\n";
}

std::string SummaryRow(std::string_view text, const CellModel& model) {
  return ProgressRow(text, 100, model) + "\r\n";
}

}  // namespace uharc
