#include "lib/product/product_entries.h"

#include <gtest/gtest.h>

#include "shared/kelvamo_product.h"

using namespace kelvamo;

namespace {

std::vector<ListedEntry> Entries(std::initializer_list<const char*> files) {
  std::vector<ListedEntry> entries;
  for (const char* name : files) entries.push_back({false, name});
  return entries;
}

}  // namespace

TEST(InstalledList, ExpandedLibrariesFollowTheInstallersSearchAndTrimming) {
  const std::pair<const char*, const char*> cases[] = {
      {"jre/lib/rt.jar.pack.gz", "jre/lib/rt.jar"},
      {"jre/lib/ext/localedata.jar.pack.gz", "jre/lib/ext/localedata.jar"},
      {"jre/lib/data.pack.gz", "jre/lib/dat"},          // the trimming takes the final 'a' too
      {"JRE/Lib/tools.PACK.gz", "JRE/Lib/tools.PACK"},  // the search ignores case, the trim not
      {"jre/lib/中文.pack.gz", "jre/lib/中文"},         // a multi-byte character is never trimmed
      {"jre/lib/more.pack.gz/x.jar.pack.gz", "jre/lib/more.pack.gz/x.jar"},  // a matching folder
      {"jre/lib/a.pack.gz", nullptr},       // nothing would be left of the name
      {"jre/lib/RT.JAR.PACK.GZ", nullptr},  // nothing is trimmed: no new file
      {"jre/lib/sub/x.jar.pack.gz", nullptr},  // other subfolders are not searched
      {"jre/lib/.hidden.pack.gz/x.jar.pack.gz", nullptr},
      {"jre/bin/x.jar.pack.gz", nullptr},
      {"rt.jar.pack.gz", nullptr},
      {"jre/lib/rt.jar", nullptr},
  };
  for (const auto& [packed, library] : cases) {
    SCOPED_TRACE(packed);
    const auto expanded = ExpandedLibraryName(packed);
    if (library) {
      ASSERT_TRUE(expanded);
      EXPECT_EQ(*expanded, library);
    } else {
      EXPECT_FALSE(expanded);
    }
  }
}

TEST(InstalledList, ProductEntriesAddLibrariesAndTheListOnceFoldersFirst) {
  std::vector<ListedEntry> archive = Entries(
      {"kelvamo.exe", "jre/lib/rt.jar.pack.gz", "jre/lib/ext/a.jar.pack.gz", "jre/lib/ext/A.JAR"});
  archive.push_back({true, "jre/lib/ext"});
  archive.push_back({true, "jre"});
  const auto entries = ProductListEntries(archive);
  std::vector<std::string> names;
  for (const ListedEntry& entry : entries) names.push_back((entry.folder ? "D " : "F ") + entry.name);
  EXPECT_EQ(names, (std::vector<std::string>{"D jre", "D jre/lib/ext", "F jre/lib/ext/A.JAR",
                                             "F jre/lib/ext/a.jar.pack.gz", "F jre/lib/rt.jar",
                                             "F jre/lib/rt.jar.pack.gz", "F kelvamo.exe",
                                             std::string("F ") + kInstalledListFile}));
}

TEST(InstalledList, WrittenListReadsBackAndAnyDamageIsRefused) {
  const auto entries = ProductListEntries({{true, "jre"}, {false, "jre/说明 文件.txt"}});
  const std::string text = FormatInstalledList(entries);
  EXPECT_EQ(text.compare(0, 20, "Kelvamo file list 1\n"), 0);
  const auto parsed = ParseInstalledList(text);
  ASSERT_TRUE(parsed);
  ASSERT_EQ(parsed->size(), entries.size());
  for (size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ((*parsed)[i].folder, entries[i].folder);
    EXPECT_EQ((*parsed)[i].name, entries[i].name);
  }

  std::vector<std::string> damaged = {"", text.substr(0, text.size() - 1),
                                      text.substr(0, text.find("F ")), text + "F extra\n"};
  for (size_t i = 0; i < text.size(); i += 7) {
    std::string flipped = text;
    flipped[i] ^= 0x01;
    damaged.push_back(flipped);
  }
  std::string crlf;
  for (char c : text) crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
  damaged.push_back(crlf);
  for (const std::string& bad : damaged) EXPECT_FALSE(ParseInstalledList(bad)) << bad;
  EXPECT_TRUE(ParseInstalledList(FormatInstalledList({})));
}

TEST(InstalledList, NamesThatLeaveTheFolderAreRefusedEvenWithAValidChecksum) {
  for (const char* hostile :
       {"/etc/passwd", "C:/Windows/win.ini", "C:win.ini", "../outside.txt", "jre/../../outside.txt",
        "jre/..", "..\\outside.txt", "\\\\server\\share\\x", "jre//x", "./x", "x.txt:stream", "con",
        "jre/aux.txt", ""}) {
    SCOPED_TRACE(hostile);
    const std::string text = FormatInstalledList({{false, "kelvamo.exe"}, {false, hostile}});
    EXPECT_FALSE(ParseInstalledList(text));
    EXPECT_FALSE(ParseInstalledList(FormatInstalledList({{true, hostile}})));
  }
}

TEST(InstalledList, RemovalPlanLeavesTheListAndTheUninstallerForLastFoldersDeepestFirst) {
  const RemovalPlan plan = PlanRemoval({{true, "jre"},
                                        {true, "jre/lib/ext"},
                                        {true, "jre/lib"},
                                        {true, "docs"},
                                        {false, "UNINSTALL.EXE"},
                                        {false, "jre/lib/rt.jar"},
                                        {false, "Uninstall.lst"},
                                        {false, "kelvamo.exe"}});
  EXPECT_EQ(plan.files, (std::vector<std::string>{"jre/lib/rt.jar", "kelvamo.exe"}));
  EXPECT_EQ(plan.folders, (std::vector<std::string>{"jre/lib/ext", "jre/lib", "docs", "jre"}));
  EXPECT_TRUE(plan.listsUninstaller);
  EXPECT_FALSE(PlanRemoval({{false, "jre/Uninstall.exe"}}).listsUninstaller);
}

TEST(InstalledList, OnlyFoldersFirstThenFilesInByteOrderEachNameOnceIsSound) {
  const std::vector<std::pair<std::vector<ListedEntry>, bool>> cases = {
      {{{true, "jre"}, {true, "jre/lib"}, {false, "A.txt"}, {false, "a.txt.bak"}}, true},
      {{{false, "a.txt"}, {false, "A.TXT"}}, false},          // one name twice, case apart
      {{{true, "Jre"}, {false, "jre"}}, false},               // a folder and a file of one name
      {{{false, "jre/ä.txt"}, {false, "jre/Ä.txt"}}, false},  // as Windows folds, not ASCII only
      {{{false, "b.txt"}, {false, "a.txt"}}, false},
      {{{false, "a.txt"}, {true, "jre"}}, false},             // a file before a folder
      {{{true, "jre"}, {true, "jre"}}, false},
  };
  for (const auto& [entries, sound] : cases) {
    SCOPED_TRACE(entries.back().name);
    EXPECT_EQ(ParseInstalledList(FormatInstalledList(entries)).has_value(), sound);
  }
}
