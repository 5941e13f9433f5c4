#include "framework/dbcs.h"

namespace kelvamo {

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

}  // namespace kelvamo
