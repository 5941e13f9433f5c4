#pragma once
#include <optional>
#include <string>
#include <string_view>

// Which way an installation goes, from the version setup.exe carries and the one the uninstall
// entry registers.
namespace kelvamo {

// Orders version texts as releases follow each other. The dotted numbers decide first, part by
// part, a missing part counting as 0: "1.0.0" before "1.0.0513 beta" before "1.0.0620" before
// "1.1". With equal numbers, a release with a stage comes before the one without ("1.0.0513 beta"
// before "1.0.0513"), and stages compare by their letters, case ignored, and their numbers:
// "alpha" before "beta2" before "beta10" before "rc1". Negative, 0 or positive as `a` comes
// before, with or after `b`.
int CompareVersions(std::string_view a, std::string_view b);

enum class InstallKind {
  kFirst,      // no installation is registered
  kRepair,     // the same version again: every file written anew
  kUpgrade,    // an older version, or one whose version cannot be read
  kDowngrade,  // a newer version is installed: refused before anything is written
};

// `installed` is the registered version, nothing when no installation is registered.
InstallKind ClassifyInstall(std::string_view own, const std::optional<std::string>& installed);

}  // namespace kelvamo
