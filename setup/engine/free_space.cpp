#include "setup/engine/free_space.h"

#include <windows.h>

#include "setup/engine/space_check.h"
#include "setup/framework/ansi_lead_byte.h"

std::optional<std::uint64_t> FreeBytesNear(const std::string& folder) {
  for (std::optional<std::string> f = folder; f;
       f = kelvamo::ParentFolder(*f, kelvamo::IsAnsiLeadByte)) {
    const DWORD attributes = GetFileAttributesA(f->c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) continue;
    ULARGE_INTEGER available;
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0 ||
        !GetDiskFreeSpaceExA(f->c_str(), &available, nullptr, nullptr)) {
      return std::nullopt;
    }
    return available.QuadPart;
  }
  return std::nullopt;
}
