#include "lib/product/ownership.h"

#include <gtest/gtest.h>

using namespace kelvamo;

TEST(Ownership, TheEntryIsOursOnlyWhenItsCommandIsThisUninstaller) {
  const std::wstring ours = L"C:\\Program Files\\凯尔瓦莫\\uninstall.exe";
  const std::pair<std::wstring, bool> cases[] = {
      {ours, true}, {L"\"" + ours + L"\"", true},
      {L"c:\\PROGRAM FILES\\凯尔瓦莫\\UNINSTALL.EXE", true},
      {L"C:\\Program Files\\Other\\uninstall.exe", false}, {ours + L" /S", false},
      {L"\"" + ours, false}, {L"", false}, {L"\"\"", false},  // nothing read proves nothing
      {ours + std::wstring(3000, L' '), false},
  };
  for (const auto& [command, owned] : cases) {
    EXPECT_EQ(CommandStarts(command, ours), owned) << command.size();
  }
}

TEST(Ownership, OnlyLinksToTheInstallationsOwnProgramsAreItsOwn) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"C:\\Kelvamo\\kelvamo.exe", true}, {L"c:\\kelvamo\\KELVAMO.EXE", true},
      {L"C:\\Kelvamo\\Uninstall.exe", true}, {L"C:\\Kelvamo\\other.exe", false},
      {L"C:\\Kelvamo\\jre\\kelvamo.exe", false},  // another installation below this folder
      {L"C:\\Kelvamo2\\kelvamo.exe", false}, {L"", false},
  };
  for (const auto& [target, owned] : cases) {
    EXPECT_EQ(IsOwnLinkTarget(target, L"C:\\Kelvamo\\"), owned) << target;
  }
  // Run from the top of a drive, it claims no other installation's links.
  EXPECT_FALSE(IsOwnLinkTarget(L"C:\\Program Files\\Kelvamo\\kelvamo.exe", L"C:\\"));
}
