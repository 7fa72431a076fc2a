#include "sample_data.h"

#include <sys/stat.h>

namespace pplcam_tool {

namespace {

bool has_sample(const std::string& dir) {
  struct stat st;
  return stat((dir + "/coffee_640x480.bggr").c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

}  // namespace

std::string find_data_dir(const std::string& preferred) {
  if (!preferred.empty()) return preferred;
  const char* candidates[] = {
#ifdef PPLCAM_SOURCE_DATA_DIR
      PPLCAM_SOURCE_DATA_DIR,
#endif
#ifdef PPLCAM_INSTALL_DATA_DIR
      PPLCAM_INSTALL_DATA_DIR,
#endif
      "data",
  };
  for (const char* dir : candidates)
    if (has_sample(dir)) return dir;
  return "";
}

}  // namespace pplcam_tool
