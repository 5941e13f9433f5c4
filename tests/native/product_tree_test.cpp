#include <gtest/gtest.h>

#include "lib/product/installed_tree.h"
#include "lib/product/list_difference.h"
#include "lib/product/product_check.h"
#include "lib/product/product_entries.h"

using namespace kelvamo;

namespace {

// Files by name; a trailing '/' makes a folder.
std::vector<ListedEntry> Tree(std::initializer_list<std::string> names) {
  std::vector<ListedEntry> entries;
  for (const std::string& name : names) {
    if (name.back() == '/') {
      entries.push_back({true, name.substr(0, name.size() - 1)});
    } else {
      entries.push_back({false, name});
    }
  }
  return entries;
}

}  // namespace

TEST(ProductTree, RefusesEveryTreeThatCouldNotInstall) {
  struct Case {
    std::vector<ListedEntry> tree;
    const char* refusal;  // a part of the message, or nothing when the tree is sound
  };
  const Case cases[] = {
      {Tree({"kelvamo.exe", "jre/lib/rt.jar.pack.gz", "jre/bin/unpack200.exe"}), nullptr},
      {Tree({"Kelvamo.EXE", "jre/lib/ext/a.jar.pack.gz", "JRE/BIN/unpack200"}), nullptr},
      {Tree({"kelvamo.exe", "jre/lib/sub/a.jar.pack.gz"}), nullptr},  // not searched: not expanded
      {Tree({}), "no file at all"},
      {Tree({"jre/", "jre/lib/"}), "no file at all"},
      {Tree({"bin/kelvamo.exe", "README.txt"}), "no kelvamo.exe at its top"},
      {Tree({"kelvamo.exe/", "kelvamo.exe/x"}), "no kelvamo.exe at its top"},
      {Tree({"kelvamo.exe", "jre/lib/ext/A.JAR.PACK.GZ", "jre/lib/unpack200.exe"}), "needs"},
      {Tree({"kelvamo.exe", "jre/lib/x.pack.gz/y.jar.pack.gz", "jre/bin/unpack200/"}), "needs"},
      {Tree({"kelvamo.exe", "jre/bin/unpack200", "jre/lib/.pack.gz"}), "an empty name"},
      {Tree({"kelvamo.exe", "jre/bin/unpack200", "jre/lib/ext/a.pack.gz"}), "an empty name"},
      {Tree({"kelvamo.exe", "jre/bin/unpack200", "jre/lib/a.jar.pack.gz", "jre/lib/A.Jar"}),
       "would expand to jre/lib/a.jar, which the tree already holds"},
      {Tree({"kelvamo.exe", "jre/bin/unpack200", "jre/lib/a.jar.pack.gz", "jre/lib/a.jar/"}),
       "already holds"},
      {Tree({"kelvamo.exe", "jre/bin/unpack200", "jre/lib/B.JAR.PACK.GZ"}),  // trims nothing
       "would expand to jre/lib/B.JAR.PACK.GZ, which the tree already holds"},
      {Tree({"kelvamo.exe", "jre/bin/unpack200", "jre/lib/a.jar.pack.gz",
             "jre/lib/a.jar.gz.pack.gz"}),
       "would both expand to jre/lib/a.jar"},
  };
  for (const Case& c : cases) {
    const auto problem = ProductTreeProblem(c.tree);
    SCOPED_TRACE(problem ? *problem : "sound");
    if (!c.refusal) {
      EXPECT_FALSE(problem);
    } else {
      ASSERT_TRUE(problem);
      EXPECT_NE(problem->find(c.refusal), std::string::npos) << c.refusal;
    }
  }
}

TEST(ProductTree, AnUpgradeRemovesWhatTheNewListNoLongerNames) {
  const std::vector<ListedEntry> version1 = ProductListEntries(Tree(
      {"jre/", "jre/lib/", "jre/lib/ext/", "docs/", "docs/old/", "kelvamo.exe", "Uninstall.exe",
       "README.txt", "docs/old/a.txt", "jre/lib/charsets.jar.pack.gz", "jre/lib/ext/x.jar.pack.gz",
       "Notes.TXT"}));
  struct Case {
    const char* what;
    std::vector<ListedEntry> next;
    std::vector<std::string> files, folders;
  };
  const Case cases[] = {
      {"the same version again", version1, {}, {}},
      {"a file gone, an expanded library and its packed file gone, folders kept or emptied",
       ProductListEntries(Tree({"jre/", "jre/lib/", "jre/lib/ext/", "kelvamo.exe",
                                "jre/lib/ext/x.jar.pack.gz", "Notes.TXT", "new.txt"})),
       {"README.txt", "docs/old/a.txt", "jre/lib/charsets.jar", "jre/lib/charsets.jar.pack.gz"},
       {"docs/old", "docs"}},
      {"names whose case alone changed, a folder the new list still names",
       ProductListEntries(Tree({"JRE/", "jre/LIB/", "jre/lib/ext/", "docs/", "docs/old/",
                                "kelvamo.exe", "readme.txt", "docs/old/a.txt", "notes.txt",
                                "jre/lib/charsets.jar.pack.gz", "jre/lib/ext/X.jar.pack.gz"})),
       {},
       {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const RemovalPlan plan = PlanUpgradeRemoval(version1, c.next);
    EXPECT_EQ(plan.files, c.files);
    EXPECT_EQ(plan.folders, c.folders);
    EXPECT_FALSE(plan.listsUninstaller);
  }
}

TEST(ProductTree, ACompletedInstallationHoldsEveryFileWithItsSizeAndEveryExpandedLibrary) {
  auto file = [](const char* name, std::uint64_t size) {
    uha::Entry entry;
    entry.name = name;
    entry.size = size;
    return entry;
  };
  uha::Entry folder;
  folder.kind = uha::EntryKind::kDirectory;
  folder.name = "jre/lib";
  const std::vector<uha::Entry> archive = {folder, file("kelvamo.exe", 7),
                                           file("jre/lib/rt.jar.pack.gz", 0),
                                           file("jre/lib/ext/a.pack.gz", 3),  // trims to nothing
                                           file("jre/README.pack.gz", 5)};    // not searched
  const std::vector<ExpectedFile> expected = ExpectedFiles(archive);
  ASSERT_EQ(expected.size(), 5u);
  const std::pair<const char*, std::optional<std::uint64_t>> names[] = {
      {"kelvamo.exe", 7}, {"jre/lib/rt.jar.pack.gz", 0}, {"jre/lib/ext/a.pack.gz", 3},
      {"jre/README.pack.gz", 5}, {"jre/lib/rt.jar", std::nullopt}};
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(expected[i].name, names[i].first);
    EXPECT_EQ(expected[i].bytes, names[i].second) << names[i].first;
  }
}
