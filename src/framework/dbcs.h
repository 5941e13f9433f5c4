#pragma once
#include <string>

// Walking ANSI text of a double-byte code page by whole characters. Portable: the caller says
// which bytes start a double-byte character.
namespace kelvamo {

using LeadBytePredicate = bool (*)(unsigned char);

// Byte index of the last single-byte character equal to `ch`, or -1. A trail byte equal to `ch`
// is part of its double-byte character and never matches.
int LastIndexOfCharacter(const std::string& text, char ch, LeadBytePredicate isLeadByte);

}  // namespace kelvamo
