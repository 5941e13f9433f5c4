// How setup.exe orders the version it carries against the one the uninstall entry registers.
#include <gtest/gtest.h>

#include "setup/engine/version_order.h"

using kelvamo::ClassifyInstall;
using kelvamo::CompareVersions;
using kelvamo::InstallKind;

TEST(VersionOrder, ReleasesFollowEachOtherAndSpellingsOfOneAreEqual) {
  const struct {
    const char* a;
    const char* b;
    int order;  // of a against b
  } cases[] = {
      {"1.0.0", "1.0.0513 beta", -1},          // the entry of the design-era installer
      {"1.0.0513 beta", "1.0.0620 beta", -1},  // a later day
      {"1.0.0620 beta", "1.1.0101 beta", -1},  // minor before the day
      {"1.9.0101", "1.10.0101", -1},           // numbers, not text
      {"1.0.0513 beta", "1.0.0513", -1},       // the stage before the release
      {"1.0.0513 alpha", "1.0.0513 beta", -1},
      {"1.0.0513 beta2", "1.0.0513 beta10", -1},
      {"1.0.0513 beta", "1.0.0513 RC1", -1},
      {"1.0", "1.0.0.1", -1},                  // a missing part is 0
      {"1.99999999999999999999999", "2", -1},  // too long for 64 bits, still below the next
      {"1.0.0513 beta", "1.0.0513 BETA", 0},
      {"1.0.0513 beta", "1.0.513-beta", 0},
      {"1.0", "1.0.0", 0},
  };
  for (const auto& c : cases) {
    const int order = CompareVersions(c.a, c.b), reverse = CompareVersions(c.b, c.a);
    EXPECT_EQ((order > 0) - (order < 0), c.order) << c.a << " / " << c.b;
    EXPECT_EQ((reverse > 0) - (reverse < 0), -c.order) << c.b << " / " << c.a;
  }
}

TEST(VersionOrder, TheRegisteredVersionDecidesTheKindOfInstallation) {
  const struct {
    std::optional<std::string> installed;
    InstallKind kind;
  } cases[] = {
      {std::nullopt, InstallKind::kFirst},
      {"1.0.0513 beta", InstallKind::kRepair},
      {"1.0.0", InstallKind::kUpgrade},
      {"1.0.0513", InstallKind::kDowngrade},
      {"2.0.0101", InstallKind::kDowngrade},
      // An entry without a readable version is replaced, never a reason to refuse.
      {"", InstallKind::kUpgrade},
      {"unknown", InstallKind::kUpgrade},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ClassifyInstall("1.0.0513 beta", c.installed), c.kind)
        << c.installed.value_or("<none>");
  }
}
