// The extractor's console rows, as an installer reading the screen cell by cell would see them.
#include <gtest/gtest.h>

#include "console_rows.h"

using namespace uharc;

namespace {

LeadBytes Gbk() {
  LeadBytes lead{};
  for (int b = 0x81; b <= 0xFE; ++b) lead[b] = true;
  return lead;
}

// The screen row a row string leaves behind: cells after the carriage return, and the cursor.
struct Screen {
  std::string cells;
  int cursor;
};
Screen Show(const std::string& row) {
  EXPECT_EQ(row.rfind('\r'), 0u);
  return {row.substr(1), static_cast<int>(row.size()) - 1};
}

}  // namespace

TEST(ConsoleRows, PercentSitsInColumns76And77WithTheCursorRightOfIt) {
  const struct {
    int percent;
    const char* cells;  // columns 75..78
  } cases[] = {{0, "  0%"},  {7, "  7%"},   {10, " 10%"},  {45, " 45%"},
               {99, " 99%"}, {100, " 99%"}, {250, " 99%"}, {-5, "  0%"}};
  for (const auto& c : cases) {
    const Screen s = Show(ProgressRow("Extracting kelvamo.exe", c.percent, Gbk()));
    EXPECT_EQ(s.cells.substr(75), c.cells) << c.percent;
    EXPECT_GE(s.cursor, 77);
    EXPECT_LT(s.cursor, 80);  // never wraps on an 80-column console
    EXPECT_EQ(s.cells.rfind("Extracting kelvamo.exe", 0), 0u);
  }
}

TEST(ConsoleRows, LongAndDoubleByteNamesStayWithinTheStatusCells) {
  const LeadBytes gbk = Gbk();
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
  const Screen s = Show(ProgressRow(chinese, 50, gbk));
  EXPECT_EQ(s.cells.substr(0, 60), chinese.substr(0, 60));
  EXPECT_EQ(s.cells.substr(76, 2), "50");
}

TEST(ConsoleRows, FinalRowEndsWithALineBreakAfterOverwritingTheWholeRow) {
  const std::string row = FinalRow("All OK: 12 entries extracted", Gbk());
  ASSERT_GE(row.size(), 3u);
  EXPECT_EQ(row.substr(row.size() - 2), "\r\n");
  EXPECT_EQ(row.size(), 1u + kRowCells + 2u);  // clears the old percentage too
  const std::string long_error = FinalRow(std::string(200, 'e'), Gbk());
  EXPECT_EQ(long_error.size(), 1u + kRowCells + 2u);
}
