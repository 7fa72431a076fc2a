// Temporary files that must not outlive the tool: an interrupted run
// (SIGINT, SIGTERM, SIGHUP) removes every temporary output still open, then
// ends with the signal as it would have without the handler.
#pragma once

namespace pplcam_tool {

// Installs the handlers; call once at start-up.
void install_interrupt_cleanup();

// Remembers `path` for removal on a signal; returns the slot to release,
// or -1 when every slot is taken (the caller then refuses the output).
// Register before creating the file, so that no moment leaves it unknown.
int track_temporary(const char* path);
void untrack_temporary(int slot);

}  // namespace pplcam_tool
