// Errors of the pplcam tool and the exit codes they map to. Every failure
// is reported as one line on stderr and one of these codes, so scripts can
// tell a bad command line from a bad file or a conversion this build lacks.
#pragma once

#include <stdexcept>
#include <string>

namespace pplcam_tool {

enum ExitCode : int {
  kExitOk = 0,
  kExitFailed = 1,        // the library produced nothing (conversion not in this build)
  kExitUsage = 2,         // bad arguments: unknown format, refused size or control value
  kExitInput = 3,         // input unreadable, malformed or empty
  kExitOutput = 4,        // output cannot be written
  kExitLeftover = 5,      // whole frames converted, but the input ended in a partial frame
};

class ToolError : public std::runtime_error {
 public:
  ToolError(ExitCode code, const std::string& message) : std::runtime_error(message), code_(code) {}
  ExitCode code() const { return code_; }

 private:
  ExitCode code_;
};

[[noreturn]] inline void fail(ExitCode code, const std::string& message) { throw ToolError(code, message); }

}  // namespace pplcam_tool
