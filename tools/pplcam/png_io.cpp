#include <png.h>

#include <cstring>

#include "image_io.h"
#include "tool_error.h"

namespace pplcam_tool {

void write_png(OutputFile& out, const uint8_t* pixels, Size size, bool bgr_bottom_up) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = size.width;
  image.height = size.height;
  image.format = bgr_bottom_up ? PNG_FORMAT_BGR : PNG_FORMAT_RGB;
  // A negative stride tells libpng the first row in memory is the bottom one.
  const png_int_32 stride = bgr_bottom_up ? -3 * size.width : 3 * size.width;
  if (!png_image_write_to_stdio(&image, out.stream(), 0, pixels, stride, nullptr))
    fail(kExitOutput, "cannot write " + out.path() + ": " + image.message);
}

}  // namespace pplcam_tool
