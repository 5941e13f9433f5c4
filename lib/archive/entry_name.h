// Rules for the relative names stored in an archive: every name must stay below the folder it is
// extracted into and must be creatable on Windows exactly as written.
#pragma once

#include <string>
#include <string_view>

namespace uha {

// Empty string when the name is acceptable, otherwise why it is refused.
std::string EntryNameProblem(std::string_view name);

// The name as Windows compares it, every character through its uppercase table: names that
// differ only in case (A and a, Ä and ä, Σ and σ) fold alike.
std::string FoldedName(std::string_view name);

// The name fit for a terminal or a console row: control characters and bytes that are not
// UTF-8 are shown as \xNN, so a hostile name can neither steer the display nor blank the message.
std::string PrintableName(std::string_view name);

}  // namespace uha
