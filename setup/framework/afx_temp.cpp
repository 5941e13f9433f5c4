#include "setup/framework/afx_temp.h"

#include <vector>

namespace afx_temp {

namespace {

std::vector<Registry*>& Maps() {
  static std::vector<Registry*> maps;
  return maps;
}
int g_depth = 0;

}  // namespace

void Register(Registry* map) { Maps().push_back(map); }

void EnterMessage() { ++g_depth; }

void LeaveMessage() {
  if (--g_depth == 0) {
    for (Registry* map : Maps()) map->Clear();
  }
}

}  // namespace afx_temp
