#include "lib/text/dbcs.h"

#include <cstring>

namespace kelvamo {

bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

int LastIndexOfCharacter(const std::string& text, char ch, LeadBytePredicate isLeadByte) {
  int found = -1;
  for (size_t i = 0; i < text.size();) {
    if (isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) {
      i += 2;
      continue;
    }
    if (text[i] == ch) found = static_cast<int>(i);
    ++i;
  }
  return found;
}

// Walks from the start: only a forward scan can tell a trail byte from a single-byte character.
size_t LengthWithoutTrailing(const std::string& text, size_t length, const char* set,
                             LeadBytePredicate isLeadByte) {
  size_t keep = 0;
  for (size_t i = 0; i < length;) {
    const bool doubleByte = isLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < length;
    const size_t width = doubleByte ? 2 : 1;
    const bool inSet = text[i] != '\0' && std::strchr(set, text[i]) != nullptr;
    if (doubleByte || !inSet) keep = i + width;
    i += width;
  }
  return keep;
}

}  // namespace kelvamo
