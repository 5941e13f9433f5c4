// The rows the extractor writes to its console. An installer reads them back from the screen while
// they are written: the work at the start of the row, the percentage in fixed cells, the cursor
// right of it, and a blank row once everything is done. Each row is written with one call.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace uharc {

// Columns count from 0. Status text stays within the first kTextCells cells; the tens digit of the
// percentage stands in kTensColumn, the units digit right of it, a '%' after that, and the cursor
// ends one further right, at kRowCells: the row never reaches column 80, so it never wraps.
constexpr int kTextCells = 60;
constexpr int kTensColumn = 76;
constexpr int kRowCells = 79;

// Lead bytes of the console's code page: a lead byte and the byte after it fill two cells together.
using LeadBytes = std::array<bool, 256>;

// Text in the console's code page, cut to `cells` cells without splitting a double-byte character.
std::string ClipToCells(std::string_view text, int cells, const LeadBytes& lead);

// "<verb> <name>", with the start of a long name replaced by "..." so that its end stays visible.
std::string StatusText(std::string_view verb, std::string_view name, const LeadBytes& lead);

// A row showing the status text and a percentage; 100 and above show as 99, since a three-digit
// value would leave "00" in the two cells that are read.
std::string ProgressRow(std::string_view status, int percent, const LeadBytes& lead);

// A closing row (summary or error): the whole row rewritten, then a line break.
std::string FinalRow(std::string_view text, const LeadBytes& lead);

}  // namespace uharc
