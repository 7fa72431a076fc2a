// Names of the files of a picture sequence. In a name, {n} stands for the
// frame number with 4 digits (0001) and {n:W} for it with W digits (1 to
// 9); every other character is taken as it is, '%' and other braces
// included. A name without {n} gets "-0001", "-0002", ... before its
// extension when a command writes several pictures.
#pragma once

#include <cstddef>
#include <string>

namespace pplcam_tool {

bool has_frame_number(const std::string& pattern);

// The name of frame `frame` (counting from 1).
std::string frame_name(const std::string& pattern, size_t frame);

}  // namespace pplcam_tool
