#include "setup/framework/ansi_lead_byte.h"

#include <windows.h>

namespace kelvamo {

bool IsAnsiLeadByte(unsigned char byte) { return IsDBCSLeadByte(byte) != FALSE; }

}  // namespace kelvamo
