#include "console_rows.h"

#include <algorithm>
#include <vector>

namespace uharc {
namespace {

// Byte offsets at which characters start, plus the end.
std::vector<std::size_t> CharStarts(std::string_view text, const LeadBytes& lead) {
  std::vector<std::size_t> starts;
  for (std::size_t i = 0; i < text.size();) {
    starts.push_back(i);
    i += (lead[static_cast<unsigned char>(text[i])] && i + 1 < text.size()) ? 2 : 1;
  }
  starts.push_back(text.size());
  return starts;
}

std::string PaddedTo(std::string text, int cells) {
  text.append(static_cast<std::size_t>(std::max(0, cells - static_cast<int>(text.size()))), ' ');
  return text;
}

}  // namespace

// In the console's code pages a character takes as many cells as it has bytes.
std::string ClipToCells(std::string_view text, int cells, const LeadBytes& lead) {
  std::size_t end = 0;
  for (const std::size_t start : CharStarts(text, lead)) {
    if (start > static_cast<std::size_t>(cells)) break;
    end = start;
  }
  return std::string(text.substr(0, end));
}

std::string StatusText(std::string_view verb, std::string_view name, const LeadBytes& lead) {
  std::string text = std::string(verb) + " ";
  const int room = kTextCells - static_cast<int>(text.size());
  if (static_cast<int>(name.size()) <= room) return text + std::string(name);
  const std::size_t tail_room = static_cast<std::size_t>(std::max(0, room - 3));
  for (const std::size_t start : CharStarts(name, lead)) {
    if (name.size() - start <= tail_room) return text + "..." + std::string(name.substr(start));
  }
  return text + "...";
}

std::string ProgressRow(std::string_view status, int percent, const LeadBytes& lead) {
  const int p = std::clamp(percent, 0, 99);
  std::string row = "\r" + PaddedTo(ClipToCells(status, kTextCells, lead), kTensColumn);
  row += p < 10 ? ' ' : static_cast<char>('0' + p / 10);
  row += static_cast<char>('0' + p % 10);
  row += '%';
  return row;
}

std::string FinalRow(std::string_view text, const LeadBytes& lead) {
  return "\r" + PaddedTo(ClipToCells(text, kRowCells, lead), kRowCells) + "\r\n";
}

}  // namespace uharc
