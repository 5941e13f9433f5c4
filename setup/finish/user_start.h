#pragma once
#include <functional>

namespace kelvamo {

// How the running installer's token stands (the platform's TOKEN_ELEVATION_TYPE), or kUnknown
// where the system cannot tell (before Vista).
enum class Elevation { kUnknown, kDefault, kFull, kLimited };

// Starts a program the installer hands to the user. Only the elevated half of a split token has
// a user's own token to fall back on: then, with a desktop shell running, the program starts
// with the shell's token (`startAsShellUser`). Otherwise, or when that start fails, it starts as
// the installer itself (`startAsInstaller`), so it always starts once at most. True when it
// started.
bool StartForUser(Elevation elevation, bool shellRunning,
                  const std::function<bool()>& startAsShellUser,
                  const std::function<bool()>& startAsInstaller);

}  // namespace kelvamo
