#pragma once
#include <string>

// An installation cut off in `installDir` (killed, power lost) is restored before anything else
// happens there, and the user is told in one message: the version before it is back, or nothing
// of a first installation is left, or the clean-up of a whole one was finished. Sets `recovered`
// when it did so. False when a journal stands there that could not be honoured: the user has
// been told why, and nothing may be installed there.
bool RecoverInterrupted(const std::string& installDir, bool& recovered);

// The same at the program's start, before the wizard: for the folder the journal pointer names,
// then for the folders the product's records name.
bool RecoverAtStart(bool& recovered);
