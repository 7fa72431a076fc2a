/* A C program that finds an installed pplcam (both headers) and takes a
 * context. */
#include <pplcam/pplcam.h>
#include <pplcam/pplcam_ext.h>

int main(void) {
  ppl_context *ctx = ppl_init();
  if (!ctx) return 1;
  return ppl_free(ctx) == 1 ? 0 : 1;
}
