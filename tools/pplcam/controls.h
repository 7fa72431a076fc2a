// The library's picture controls as command-line flags in readable units
// (gains as factors, hue in degrees, ...), and their application to a
// context. Every value is handed to the library's own setter; a refusal is
// reported with the range the library accepts.
#pragma once

#include <optional>
#include <vector>

#include "formats.h"
#include "pplcam/pplcam.h"

namespace CLI {
class App;
}

namespace pplcam_tool {

struct PictureControls {
  std::optional<int> quality;
  std::vector<double> gain;      // r, g, b factors (1.0 = unchanged)
  std::vector<int> offset;       // r, g, b levels added after the gain
  std::vector<double> matrix;    // 3 x 3 row-major factors
  std::optional<int> gamma;      // setting -32..32
  std::optional<int> contrast;   // level -127..127
  std::optional<double> saturation;  // factor 0..2
  std::optional<int> hue;        // degrees
  std::optional<int> edge_threshold;
  std::optional<double> edge_strength;  // factor 0..1
  std::optional<int> motion_threshold;
  bool h_mirror = false;
  bool v_mirror = false;
  bool force_mmx = false;
};

// Adds the flags to `app` (in an option group "Picture controls").
void add_control_options(CLI::App* app, PictureControls* controls);

// Refuses controls that do nothing for this input and output (kExitUsage),
// then applies every given control; a value the library refuses ends the
// command with kExitUsage and the accepted range.
void apply_controls(ppl_context* ctx, const PictureControls& controls, InputFormat input, PixelFormat output);

// A factor as nf88 (256 = 1.0), rounded and kept within int32.
int to_nf88(double factor);

}  // namespace pplcam_tool
