// The extractor's console rows, as an installer reading the screen cell by cell would see them,
// on Windows (a double-byte character in two cells) and on Wine's console (in one).
#include <gtest/gtest.h>

#include <vector>

#include "uharc/console_rows.h"

using namespace uharc;

namespace {

CellModel Gbk(int double_byte_width) {
  CellModel model;
  for (int b = 0x81; b <= 0xFE; ++b) model.lead[b] = true;
  model.double_byte_width = double_byte_width;
  return model;
}

// The screen a row leaves behind: one string per cell after the carriage return, and the cursor.
struct Screen {
  std::vector<std::string> cells;
  int Cursor() const { return static_cast<int>(cells.size()); }
  std::string Cells(int from, int count) const {
    std::string s;
    for (int i = from; i < from + count; ++i) s += cells.at(static_cast<std::size_t>(i));
    return s;
  }
};
Screen Show(const std::string& row, const CellModel& model) {
  EXPECT_EQ(row.rfind('\r'), 0u);
  Screen screen;
  for (std::size_t i = 1; i < row.size();) {
    const bool pair = model.lead[static_cast<unsigned char>(row[i])] && i + 1 < row.size();
    const std::string ch = row.substr(i, pair ? 2 : 1);
    for (int k = 0; k < (pair ? model.double_byte_width : 1); ++k) screen.cells.push_back(ch);
    i += ch.size();
  }
  return screen;
}

}  // namespace

TEST(ConsoleRows, PercentSitsInColumns76And77WithTheCursorRightOfIt) {
  const struct {
    int percent;
    const char* cells;  // columns 75..78
  } cases[] = {{0, "  0%"},  {7, "  7%"},   {10, " 10%"},  {45, " 45%"},
               {99, " 99%"}, {100, " 99%"}, {250, " 99%"}, {-5, "  0%"}};
  const std::string chinese_name =
      "Extracting \xCE\xC4\xB5\xB5\\\xCB\xB5\xC3\xF7.txt";  // 文档\说明
  for (const int width : {2, 1}) {
    const CellModel model = Gbk(width);
    for (const std::string& status : {std::string("Extracting kelvamo.exe"), chinese_name}) {
      for (const auto& c : cases) {
        const Screen s = Show(ProgressRow(status, c.percent, model), model);
        EXPECT_EQ(s.Cells(75, 4), c.cells) << c.percent << " width " << width;
        EXPECT_GE(s.Cursor(), 77);
        EXPECT_LT(s.Cursor(), 80);  // never wraps on an 80-column console
        EXPECT_EQ(s.Cells(0, 11), "Extracting ");
      }
    }
  }
}

TEST(ConsoleRows, LongAndDoubleByteNamesStayWithinTheStatusCells) {
  const CellModel gbk = Gbk(2);
  const std::string deep =
      "jre/lib/ext/a/very/deep/folder/with/many/levels/inside/localedata.jar.pack.gz";
  const std::string status = StatusText("Extracting", deep, gbk);
  EXPECT_EQ(status.size(), static_cast<std::size_t>(kTextCells));
  EXPECT_EQ(status.rfind("Extracting ...", 0), 0u);
  EXPECT_EQ(status.substr(status.size() - 22), "localedata.jar.pack.gz");

  // 中 is D6 D0 in GBK: a cut never leaves half of a character at either end.
  std::string chinese;
  for (int i = 0; i < 40; ++i) chinese += "\xD6\xD0";
  const std::string tail = StatusText("Extracting", "x" + chinese, gbk);
  EXPECT_LE(tail.size(), static_cast<std::size_t>(kTextCells));
  EXPECT_EQ((tail.size() - std::string("Extracting ...").size()) % 2, 0u);
  EXPECT_EQ(ClipToCells("ab\xD6\xD0", 3, gbk), "ab");
  EXPECT_EQ(ClipToCells("ab\xD6\xD0", 4, gbk), "ab\xD6\xD0");
  EXPECT_EQ(ClipToCells("ab\xD6\xD0", 3, Gbk(1)), "ab\xD6\xD0");
  const Screen s = Show(ProgressRow(chinese, 50, gbk), gbk);
  EXPECT_EQ(s.cells[59], "\xD6\xD0");  // 30 characters fill the 60 status cells
  EXPECT_EQ(s.Cells(60, 16), std::string(16, ' '));
  EXPECT_EQ(s.Cells(76, 2), "50");
  // Where a double-byte character fills one cell, as many more of them fit.
  EXPECT_EQ(WidthInCells(StatusText("Extracting", chinese, Gbk(1)), Gbk(1)), 11 + 40);
}

// An installer that reads the summary before its line break must not see the bar drop to 0.
TEST(ConsoleRows, TheSummaryKeepsThePercentageUntilItsLineBreak) {
  for (const int width : {2, 1}) {
    const CellModel model = Gbk(width);
    for (const std::string& text :
         {std::string("All OK: 12 entries extracted"), std::string(200, 'e')}) {
      const std::string row = SummaryRow(text, model);
      ASSERT_GE(row.size(), 3u);
      EXPECT_EQ(row.substr(row.size() - 2), "\r\n");
      const Screen before = Show(row.substr(0, row.size() - 2), model);
      EXPECT_EQ(before.Cells(76, 2), "99") << text;
      EXPECT_EQ(before.Cursor(), kRowCells) << text;
      EXPECT_EQ(before.Cells(0, 8), text.substr(0, 8));
    }
  }
}

TEST(ConsoleRows, FinalRowEndsWithALineBreakAfterOverwritingTheWholeRow) {
  for (const int width : {2, 1}) {
    const CellModel model = Gbk(width);
    for (const std::string& text :
         {std::string("All OK: 12 entries extracted"), std::string(200, 'e'),
          std::string("UHARC: cannot create \xCE\xC4\xB5\xB5\\\xCB\xB5\xC3\xF7.txt (error 5)")}) {
      const std::string row = FinalRow(text, model);
      ASSERT_GE(row.size(), 3u);
      EXPECT_EQ(row.substr(row.size() - 2), "\r\n");
      // Every cell up to the old percentage and beyond is rewritten, and nothing wraps.
      EXPECT_EQ(Show(row.substr(0, row.size() - 2), model).Cursor(), kRowCells) << text;
    }
  }
}
