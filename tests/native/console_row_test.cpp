#include "setup/engine/console_row.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using namespace kelvamo;

namespace {

// A row as read with the cursor at `cursor`: cells 0..cursor hold `text` padded with blanks.
RowCells Row(const char* text, size_t cursor) {
  RowCells cells{};
  for (size_t i = 0; i <= cursor && i < kRowCells; ++i) {
    cells[i] = i < std::strlen(text) ? text[i] : ' ';
  }
  return cells;
}

// A progress row with the percentage in cells 76 and 77 and the cursor at 77.
RowCells ProgressRow(const char* text, char tens, char units) {
  RowCells cells = Row(text, 77);
  cells[76] = tens;
  cells[77] = units;
  return cells;
}

// A row read with the cursor at column 76, over `tens`: cell 77 stays unread.
RowCells CursorAtTens(char tens) {
  RowCells cells = Row("Extracting a.dll", 76);
  cells[76] = tens;
  return cells;
}

}  // namespace

TEST(ConsoleRow, ProgressValueTable) {
  const struct {
    RowCells cells;
    int value;
  } cases[] = {
      {ProgressRow("x", '4', '5'), 45},
      {ProgressRow("x", ' ', '7'), 7},
      {ProgressRow("x", '0', '0'), 0},
      {Row("Extracting a.dll", 40), -528},  // cursor left of column 76: both cells unread
      {CursorAtTens('4'), -8},
      {ProgressRow("x", 'A', '0'), 170},
      {ProgressRow("x", '\xB0', '5'), -1275},  // a high byte counts as negative
  };
  for (const auto& c : cases) EXPECT_EQ(ProgressValue(c.cells), c.value);
  // A hundreds digit in column 75 is not read: 100 shows as 0.
  RowCells hundred = ProgressRow("x", '0', '0');
  hundred[75] = '1';
  EXPECT_EQ(ProgressValue(hundred), 0);
}

TEST(ConsoleRow, RowTextStopsAtSixtyCellsOrTheFirstUnreadCell) {
  EXPECT_EQ(RowText(RowCells{}), "");
  EXPECT_EQ(RowText(Row("", 0)), " ");
  EXPECT_EQ(RowText(Row("", 1)), "  ");
  EXPECT_EQ(RowText(Row("abc", 4)), "abc  ");
  EXPECT_EQ(RowText(ProgressRow(std::string(70, 'z').c_str(), '1', '2')), std::string(60, 'z'));
  // A wide character in cells 59 and 60 leaves only its lead byte.
  std::string wide(59, 'a');
  wide += "\xD7\xD6";
  EXPECT_EQ(RowText(ProgressRow(wide.c_str(), '1', '2')), std::string(59, 'a') + '\xD7');
}

TEST(ConsoleRow, CompletionOverSequencesOfRows) {
  const RowCells blank = Row("", 0);
  const RowCells twoBlanks = Row("", 1);
  const RowCells unread{};
  const RowCells work = ProgressRow("Extracting jre\\lib\\rt.jar", '5', '0');
  const struct {
    const char* what;
    std::vector<RowCells> rows;
    int endsAt;  // index of the first ending tick, -1 for none
  } cases[] = {
      {"first tick blank", {blank}, -1},
      {"blank after blank", {unread, blank, blank}, -1},
      {"text then blank", {unread, work, blank}, 2},
      {"text on the first tick, then blank", {work, blank}, 1},
      {"two blanks are not the end", {work, twoBlanks, twoBlanks}, -1},
      {"two blanks count as text", {work, twoBlanks, blank}, 2},
      {"failed read after text", {work, unread, blank}, -1},
      {"ends at the first blank only", {work, work, blank, work, blank}, 2},
  };
  for (const auto& c : cases) {
    std::string status;
    int ticks = 0;
    int endedAt = -1;
    for (size_t i = 0; i < c.rows.size() && endedAt < 0; ++i) {
      const int ticksBefore = ticks;
      const MonitorTick tick = TakeRow(c.rows[i], status, ticks);
      EXPECT_EQ(ticks, ticksBefore + (tick.ended ? 0 : 1)) << c.what;
      if (tick.ended) endedAt = static_cast<int>(i);
    }
    EXPECT_EQ(endedAt, c.endsAt) << c.what;
  }
  // No progress tick yet: a blank row is not the end even after a status with text.
  std::string status = "Extracting kelvamo.exe";
  int ticks = 0;
  EXPECT_FALSE(TakeRow(blank, status, ticks).ended);
  EXPECT_EQ(ticks, 1);
}

TEST(ConsoleRow, ProgressTicksCarryTheBarValueAndTheStatus) {
  std::string status;
  int ticks = 0;
  MonitorTick tick = TakeRow(ProgressRow("Extracting kelvamo.exe", '4', '5'), status, ticks);
  EXPECT_FALSE(tick.ended);
  EXPECT_EQ(tick.value, 45);
  EXPECT_EQ(status.substr(0, 22), "Extracting kelvamo.exe");
  tick = TakeRow(Row("Extracting b", 20), status, ticks);
  EXPECT_EQ(tick.value, -528);  // the bar falls back to 0
  EXPECT_EQ(ticks, 2);
}

TEST(ConsoleRow, ErrorRowIsTheLastRowWithText) {
  RowCells above{};
  const char error[] = "Error: kelvamo.uha is damaged";
  std::memcpy(above.data(), error, sizeof(error) - 1);
  for (size_t i = sizeof(error) - 1; i < kRowCells; ++i) above[i] = ' ';
  EXPECT_EQ(ErrorRowText(Row("", 0), above), error);
  EXPECT_EQ(ErrorRowText(Row("Error: disk full", 30), above), "Error: disk full");
  EXPECT_EQ(ErrorRowText(RowCells{}, RowCells{}), "");
}
