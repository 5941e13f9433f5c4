#pragma once

namespace kelvamo {

// Whether `byte` starts a double-byte character in the system's ANSI code page: the predicate the
// portable text walkers take, for text handed to the ANSI API.
bool IsAnsiLeadByte(unsigned char byte);

}  // namespace kelvamo
