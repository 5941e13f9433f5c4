#include "setup/app/install_dir.h"

namespace kelvamo {

std::string NormaliseInstallDir(const std::string& folderText, LeadBytePredicate isLeadByte) {
  size_t length = LengthWithoutTrailing(folderText, folderText.size(), " ", isLeadByte);
  length = LengthWithoutTrailing(folderText, length, "\\", isLeadByte);
  return folderText.substr(0, length) + '\\';
}

}  // namespace kelvamo
