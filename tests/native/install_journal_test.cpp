#include "lib/product/install_journal.h"

#include <gtest/gtest.h>

#include "shared/kelvamo_product.h"

using namespace kelvamo;

namespace {

InstallJournal Upgrade() {
  InstallJournal journal;
  journal.folder = "C:\\Program Files\\kelvamo\\";
  journal.phase = JournalPhase::kWriting;
  journal.madeFolders = {"D:\\apps\\", "D:\\apps\\kelvamo\\"};
  journal.appKeyExisted = true;
  journal.uninstallKeyExisted = true;
  journal.priorValues = {{true, "Path", 1, std::string("C:\\Program Files\\kelvamo\\") + '\0'},
                         {false, "DisplayVersion", 1, std::string("1.0.0513 beta\0", 14)},
                         {false, "EstimatedSize", 4, std::string("\x01\xa0\0\0", 4)}};
  journal.replacedFolder = "D:\\old kelvamo\\";
  journal.movedAside = {"kelvamo.exe", "jre/lib/中文.jar"};
  journal.newFiles = {"kelvamo.exe", "docs/NEWS.txt"};
  journal.newFolders = {"docs"};
  journal.staleFolders = {"jre/lib/old"};
  return journal;
}

}  // namespace

// A journal tells a later run what to delete and restore: anything not exactly as written, and any
// name that would reach outside the folder, is refused whole.
TEST(InstallJournal, DamagedOrHostileJournalsAreRefused) {
  const std::string good = FormatJournal(Upgrade());
  auto replaced = [&](const std::string& from, const std::string& to) {
    std::string text = good;
    text.replace(text.find(from), from.size(), to);
    return text;
  };
  const std::pair<const char*, std::string> cases[] = {
      {"empty", ""},
      {"cut off before its end", good.substr(0, good.size() / 2)},
      {"without its end line", good.substr(0, good.rfind("end "))},
      {"one byte changed", replaced("kelvamo.exe", "kelvamo.exf")},
      {"another header", replaced("journal 1", "journal 2")},
      {"a name leaving the folder", replaced("aside kelvamo.exe", "aside ../../Windows/x.dll")},
      {"an absolute name", replaced("new docs/NEWS.txt", "new C:/Windows/win.ini")},
      {"an unknown phase", replaced("phase writing", "phase done")},
      {"an unknown line", replaced("keys 11", "kept 11")},
      {"a relative folder", replaced("folder C:\\Program Files\\kelvamo\\", "folder kelvamo\\")},
      {"a value of another type", replaced("value u EstimatedSize 4", "value u EstimatedSize 3")},
      {"a number of five bytes", replaced("01a00000", "01a0000000")},
      {"a value name with a path", replaced("value a Path", "value a ..\\Run")},
  };
  for (const auto& [what, text] : cases) {
    SCOPED_TRACE(what);
    EXPECT_FALSE(ParseJournal(text));
  }
  // The checksum is no guard against a journal written to deceive: its names still must stay in.
  InstallJournal hostile = Upgrade();
  hostile.newFiles.push_back("..\\boot.ini");
  EXPECT_FALSE(ParseJournal(FormatJournal(hostile)));
}

TEST(InstallJournal, OnlyTheRunsOwnTemporariesAreTakenForThem) {
  const std::pair<const char*, bool> cases[] = {
      {"uharc-1234-0.tmp", true},       {"uharc-1-77.tmp", true},
      {"uharc-1234-.tmp", false},       {"uharc--0.tmp", false},
      {"uharc-12a4-0.tmp", false},      {"uharc-1234-0.tmp.txt", false},
      {"uharc-1234-0-1.tmp", false},    {"my-uharc-1234-0.tmp", false},
      {"uharc-1234.tmp", false},        {"UHARC-1234-0.tmp", false},
  };
  for (const auto& [leaf, ours] : cases) {
    SCOPED_TRACE(leaf);
    EXPECT_EQ(IsTemporaryName(leaf, kExtractorTemporaryPrefix), ours);
  }
  EXPECT_TRUE(IsTemporaryName("kelvamo-setup-880-3.tmp", kSetupTemporaryPrefix));
  EXPECT_TRUE(IsTemporaryName("kelvamo-setup-880-journal.tmp", kSetupTemporaryPrefix));
  EXPECT_FALSE(IsTemporaryName("kelvamo-setup-880-Notes.tmp", kSetupTemporaryPrefix));
  EXPECT_FALSE(IsTemporaryName("kelvamo-setup.journal", kSetupTemporaryPrefix));
  EXPECT_FALSE(IsTemporaryName("uharc-880-3.tmp", kSetupTemporaryPrefix));
}
