#pragma once
#include <string>

// Walking ANSI text of a double-byte code page by whole characters. Portable: the caller says
// which bytes start a double-byte character.
namespace kelvamo {

using LeadBytePredicate = bool (*)(unsigned char);

// Lead bytes of GBK (code page 936), for code that runs without the Windows API.
bool IsGbkLeadByte(unsigned char byte);

// Byte index of the last single-byte character equal to `ch`, or -1. A trail byte equal to `ch`
// is part of its double-byte character and never matches.
int LastIndexOfCharacter(const std::string& text, char ch, LeadBytePredicate isLeadByte);

// Length of the first `length` bytes of `text` once the trailing run of single-byte characters
// found in `set` is removed; double-byte characters never belong to the set.
size_t LengthWithoutTrailing(const std::string& text, size_t length, const char* set,
                             LeadBytePredicate isLeadByte);

}  // namespace kelvamo
