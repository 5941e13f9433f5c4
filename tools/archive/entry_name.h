// Rules for the relative names stored in an archive: every name must stay below the folder it is
// extracted into and must be creatable on Windows exactly as written.
#pragma once

#include <string>
#include <string_view>

namespace uha {

// Empty string when the name is acceptable, otherwise why it is refused.
std::string EntryNameProblem(std::string_view name);

// The name with ASCII letters lowered: Windows treats names that differ only so as one.
std::string FoldedName(std::string_view name);

}  // namespace uha
