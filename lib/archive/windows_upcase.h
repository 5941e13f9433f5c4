// The case folding Windows applies when it compares file names, as one table shared by the packer
// and both extractors.
#pragma once

#include <cstdint>

namespace uha {

// The character that `c` stands for in a case-insensitive name compare: two names are one on
// Windows when their characters map alike.
std::uint32_t UpcaseForNames(std::uint32_t c);

}  // namespace uha
