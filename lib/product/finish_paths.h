#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "lib/text/dbcs.h"
#include "shared/kelvamo_product.h"

namespace kelvamo {

// Room for a shortcut's target and for a link file's path, terminating NUL included.
constexpr size_t kTargetPathCapacity = 256;
constexpr size_t kLinkPathCapacity = 260;

// Shell folder numbers (the platform's CSIDL values) that shortcuts go into.
enum ShellFolder : int {
  kFolderDesktop = 0,
  kFolderUserStartup = 7,
  kFolderCommonStartMenu = 22,
  kFolderCommonStartup = 24,
  kFolderAltStartup = 29,
};

// A shortcut ready to be written: both paths fit their buffers.
struct ShortcutPaths {
  std::string target;
  std::string link;
};

// head + tail, or nothing when that text and its NUL would not fit in `capacity` bytes.
std::optional<std::string> JoinWithin(const std::string& head, const std::string& tail,
                                      size_t capacity);

// Target = install directory + file name, link = folder + link name; nothing when either is too
// long, so the shortcut is skipped rather than cut short.
std::optional<ShortcutPaths> PlanShortcut(const std::string& installDir, const std::string& file,
                                          const std::string& folder, const std::string& linkName);

// The target up to, not including, its last backslash (a whole character, not a trail byte);
// empty when there is none.
std::string WorkingDirectoryOf(const std::string& target, LeadBytePredicate isLeadByte);

// The command that starts the installed application. The path is quoted so that a space in the
// folder cannot make the system start another program (C:\Program.exe). Nothing when the path
// does not fit or holds a quote of its own.
std::optional<std::string> ApplicationCommandLine(const std::string& installDir);

// The browser's command line: the success page's address after a single space.
std::string SuccessPageCommandLine();

// Shell folders for the start-up shortcut, to be tried in order until one resolves. Systems of
// major version 5 use the all-users folder; others the non-localized one, and where that resolves
// to nothing the user's own start-up folder, so that the option the user kept still takes effect.
std::vector<int> StartupFolderChoices(bool isOsVersion5);

}  // namespace kelvamo
