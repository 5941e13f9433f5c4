#include "uninstall/uninstall_args.h"

#include <gtest/gtest.h>

using namespace kelvamo;

TEST(UninstallArgs, TheSystemsStartsAndTheCopysRoundTrip) {
  const auto plain = ParseUninstallArgs({});
  ASSERT_TRUE(plain);
  EXPECT_FALSE(plain->silent || plain->isCopy);
  for (const wchar_t* silent : {L"/S", L"/s"}) {
    const auto parsed = ParseUninstallArgs({silent});
    ASSERT_TRUE(parsed);
    EXPECT_TRUE(parsed->silent);
    EXPECT_FALSE(parsed->isCopy);
  }

  UninstallArgs copy;
  copy.silent = true;
  copy.original = 0x1F4;
  copy.report = 12;
  copy.self = 0;
  copy.file = 24;
  copy.originalPath = L"C:\\Program Files\\凯尔 瓦莫\\Uninstall.exe";
  EXPECT_EQ(CopyCommandTail(copy),
            L"/S /copy 500 12 0 24 \"C:\\Program Files\\凯尔 瓦莫\\Uninstall.exe\"");
  const auto parsed =
      ParseUninstallArgs({L"/S", L"/copy", L"500", L"12", L"0", L"24", copy.originalPath});
  ASSERT_TRUE(parsed);
  EXPECT_TRUE(parsed->silent && parsed->isCopy);
  EXPECT_EQ(parsed->original, 500u);
  EXPECT_EQ(parsed->report, 12u);
  EXPECT_EQ(parsed->self, 0u);
  EXPECT_EQ(parsed->file, 24u);
  EXPECT_EQ(FolderOf(parsed->originalPath), L"C:\\Program Files\\凯尔 瓦莫\\");
}

TEST(UninstallArgs, AnythingElseIsRefused) {
  const std::wstring path = L"C:\\kelvamo\\Uninstall.exe";
  const std::vector<std::vector<std::wstring>> refused = {
      {L"/Q"},
      {L"/S", L"/S"},
      {L"S"},
      {L"/copy", L"1", L"2", L"3"},
      {L"/copy", L"0", L"2", L"3", L"4", path},  // the original and the report are never missing
      {L"/copy", L"1", L"0", L"3", L"4", path},
      {L"/copy", L"1", L"-2", L"3", L"4", path},
      {L"/copy", L"1", L"2", L"99999999999999999999999", L"4", path},
      {L"/copy", L"1", L"2", L"3", L"4", L"Uninstall.exe"},  // no folder
      {L"/copy", L"1", L"2", L"3", L"4", L"C:\\kelvamo\\"},
      {L"/copy", L"1", L"2", L"3", L"4", path, L"/S"},
      {L"/copy", L"1", L"2", L"3", L"0", path},  // the original's file proves its path
  };
  for (const auto& args : refused) EXPECT_FALSE(ParseUninstallArgs(args)) << args.size();
}

TEST(UninstallArgs, ARefusedLineStaysSilentWhenAnyArgumentAsksForSilence) {
  const std::vector<std::pair<std::vector<std::wstring>, bool>> cases = {
      {{L"/S", L"/X"}, true}, {{L"/X", L"/s"}, true}, {{L"/copy", L"1", L"/S"}, true},
      {{L"/X"}, false},       {{L"/SS"}, false},      {{L"S"}, false}, {{}, false},
  };
  for (const auto& [args, silent] : cases) EXPECT_EQ(AsksForSilence(args), silent) << args.size();
}
