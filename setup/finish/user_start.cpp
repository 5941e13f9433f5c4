#include "setup/finish/user_start.h"

namespace kelvamo {

bool StartForUser(Elevation elevation, bool shellRunning,
                  const std::function<bool()>& startAsShellUser,
                  const std::function<bool()>& startAsInstaller) {
  if (elevation == Elevation::kFull && shellRunning && startAsShellUser()) return true;
  return startAsInstaller();
}

}  // namespace kelvamo
