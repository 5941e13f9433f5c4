#include "app/install_dir.h"

namespace kelvamo {

bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

namespace {

// Length of the text once every trailing single-byte character equal to `ch` is removed. Walks
// from the start, as only a forward scan can tell a trail byte from a single-byte character.
size_t LengthWithoutTrailing(const std::string& text, size_t length, char ch,
                             LeadBytePredicate isLeadByte) {
  size_t keep = 0;
  for (size_t i = 0; i < length;) {
    const bool doubleByte = isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < length;
    const size_t width = doubleByte ? 2 : 1;
    if (doubleByte || text[i] != ch) keep = i + width;
    i += width;
  }
  return keep;
}

}  // namespace

std::string NormaliseInstallDir(const std::string& folderText, LeadBytePredicate isLeadByte) {
  size_t length = LengthWithoutTrailing(folderText, folderText.size(), ' ', isLeadByte);
  length = LengthWithoutTrailing(folderText, length, '\\', isLeadByte);
  return folderText.substr(0, length) + '\\';
}

}  // namespace kelvamo
