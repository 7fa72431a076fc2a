// Finding the bundled sample frames: next to the sources for a build-tree
// run, in the installed data folder otherwise.
#pragma once

#include <string>

namespace pplcam_tool {

// The folder holding coffee_640x480.bggr, or "" when none is found.
// `preferred` (from --data) is taken as it is when given.
std::string find_data_dir(const std::string& preferred);

}  // namespace pplcam_tool
