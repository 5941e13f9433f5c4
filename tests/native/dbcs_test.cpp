#include "lib/text/dbcs.h"

#include <gtest/gtest.h>

#include "setup/app/install_dir.h"

using kelvamo::IsGbkLeadByte;
using kelvamo::LastIndexOfCharacter;

TEST(Dbcs, FindsTheLastWholeCharacterOnly) {
  const struct {
    const char* text;
    char ch;
    int expected;
  } cases[] = {
      {"C:\\a\\b.lnk", '\\', 4},
      {"C:\\a\\b.lnk", '.', 6},
      {"kelvamo", '\\', -1},
      {"", '\\', -1},
      {"\\", '\\', 0},
      // 赲 is DA 5C: its trail byte is a backslash and must not count.
      {"D:\\x\\\xDA\x5C", '\\', 4},
      {"\xDA\x5C", '\\', -1},
      // A lead byte at the very end stands alone.
      {"a\\\xDA", '\\', 1},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LastIndexOfCharacter(c.text, c.ch, IsGbkLeadByte), c.expected) << c.text;
  }
}
