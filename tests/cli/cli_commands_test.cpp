// Command lines end as documented: the exit code; on failure one line on
// stderr and nothing on stdout; exactly the listed files left in the
// folder (no partial file); and the input untouched. Rows cover refusals,
// output names, outputs that are inputs, devices, read-only files, inputs
// and help. `pplcam demo` completes and writes the files it lists.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <regex>
#include <sstream>
#include <thread>

#include "cli_support.h"

namespace cli_test {
namespace {

struct CommandCase {
  const char* what;
  const char* setup;    // shell commands run in DIR first; TOOL is the tool
  const char* args;     // IN is DIR/in.raw, a copy of the sample; DIR the folder
  int exit_code;
  const char* message;  // in stderr on failure, in stdout or stderr on success
  const char* left;     // what DIR holds afterwards besides in.raw
  bool as_nobody = false;
};

const CommandCase kCases[] = {
    // Refusals, each before anything is written.
    {"size the library refuses", "", "convert IN -s 632x480 -o DIR/o.png", 2, "accepted: widths 128 to 4096", ""},
    {"refused size of a long file", "", "convert IN -s 513x512 -o DIR/o.png", 2, "513x512 refused", ""},
    {"YUV width not in steps of 16", "", "convert IN --from yuyv -s 200x480 -o DIR/o.png", 2,
     "YUV size 200x480 refused; accepted: widths 128 to 4096", ""},
    {"size larger than the file", "", "convert IN -s 1280x1024 -o DIR/o.png", 3, "less than one 1280x1024", ""},
    {"raw input without a size", "", "convert IN -o DIR/o.png", 2, "give --size", ""},
    {"unknown output format", "", "convert IN -s 640x480 -o DIR/o.webp", 2, "give --to", ""},
    {"unknown --to", "", "convert IN -s 640x480 --to tiff -o DIR/o", 2, "unknown output format 'tiff'", ""},
    {"unknown --from", "", "convert IN --from rggb -s 640x480 -o DIR/o.png", 2, "unknown input format 'rggb'", ""},
    {"unreadable input", "", "convert DIR/missing.raw -s 640x480 -o DIR/o.png", 3, "cannot read", ""},
    {"output folder missing", "", "convert IN -s 640x480 -o DIR/no/x.png", 4, "cannot write", ""},
    {"gain out of range", "", "convert IN -s 640x480 --gain 8,1,1 -o DIR/o.png", 2, "--gain 8,1,1 refused", ""},
    {"quality out of range", "", "convert IN -s 640x480 -q 6 -o DIR/o.png", 2, "--quality 6 refused", ""},
    {"edge threshold out of range", "", "convert IN -s 640x480 --edge-threshold 1531 -o DIR/o.png", 2, "0 to 1530", ""},
    {"saturation out of range", "", "convert IN -s 640x480 --saturation 2.01 -o DIR/o.png", 2, "factors 0 to 2", ""},
    {"gamma out of range", "", "convert IN -s 640x480 --gamma 33 -o DIR/o.png", 2, "-32 to 32", ""},
    {"motion threshold on Bayer", "", "convert IN -s 640x480 --motion-threshold 10 -o DIR/o.png", 2, "interlaced", ""},
    {"gain on YUV input", "", "convert IN --from yuyv -s 320x240 --gain 1,1,1 -o DIR/o.png", 2, "Bayer input only", ""},
    {"half-size progressive YUV", "", "convert IN --from yuyv -s 320x240 --half -o DIR/o.png", 2, "full size only", ""},
    {"quarter-size Bayer", "", "convert IN -s 640x480 --quarter -o DIR/o.png", 2, "full, half", ""},
    {"black lines for progressive YUV", "", "convert IN --from yuyv -s 320x240 --out-size 320x260 -o DIR/o.png", 2,
     "interlaced input only", ""},
    {"interlaced UYVY to YUYV", "", "convert IN --from intl-uyvy -s 320x240 -o DIR/o.yuyv", 2, "converts to uyvy", ""},
    {"missing argument", "", "convert IN -s 640x480", 2, "--output is required", ""},
    {"stats of raw passthrough", "", "stats IN -s 640x480 -q 4", 2, "gathers no statistics", ""},
    {"stats picture into a missing folder", "", "stats IN -s 640x480 --picture DIR/no/s.png", 4, "cannot write", ""},
    {"benchmark filter matching nothing", "", "bench --filter nomatch", 2, "no conversion matches", ""},
    {"unknown command", "", "frobnicate", 2, "subcommand", ""},
    {"no command", "", "", 2, "", ""},
    {"help", "", "--help", 0, "Usage", ""},
    {"convert help", "", "convert --help", 0, "{n}", ""},
    {"stats help", "", "stats --help", 0, "--library-means", ""},
    // Output names: only {n} is special.
    {"%s, %n, %d in a name", "", "convert IN -s 640x480 -o DIR/x%s%n-%d%d.png", 0, "x%s%n-%d%d.png", "x%s%n-%d%d.png"},
    {"% at the end of a name", "", "convert IN -s 640x480 -o DIR/pct%.png", 0, "pct%.png", "pct%.png"},
    {"stats picture with %s%s", "", "stats IN -s 640x480 --picture DIR/p-%s%s.png", 0, "", "p-%s%s.png"},
    {"{n:2} numbers a single frame", "", "convert IN -s 640x480 -o DIR/f{n:2}.png", 0, "f01.png", "f01.png"},
    {"several frames number their pictures", "cat in.raw in.raw in.raw > 3.raw",
     "convert DIR/3.raw -s 640x480 -o DIR/f.png", 0, "f-0003.png", "3.raw f-0001.png f-0002.png f-0003.png"},
    {"trailing partial frame", "cat in.raw > long.raw && head -c 1000 /dev/zero >> long.raw",
     "convert DIR/long.raw -s 640x480 -o DIR/o.i420", 5, "the last 1000 bytes", "long.raw o.i420"},
    // An output that is an input is refused.
    {"output is the input", "", "convert IN -s 640x480 --to rgb24 -o IN", 2, "is the input", ""},
    {"the input by another path", "", "convert IN -s 640x480 --to rgb24 -o DIR/./in.raw", 2, "is the input", ""},
    {"a link to the input", "ln -s in.raw l.raw", "convert IN -s 640x480 --to rgb24 -o DIR/l.raw", 2, "is the input",
     "l.raw"},
    {"a hard link to the input", "ln in.raw h.raw", "convert IN -s 640x480 --to rgb24 -o DIR/h.raw", 2,
     "is the input", "h.raw"},
    {"stats JSON onto the input", "", "stats IN -s 640x480 --json IN", 2, "is the input", ""},
    {"JSON and picture in one file", "", "stats IN -s 640x480 --json DIR/s --picture DIR/s", 2, "same file", ""},
    // Standard output, devices and read-only files are never replaced.
    {"standard output", "", "convert IN -s 640x480 --to rgb24 -o -", 0, "wrote standard output", ""},
    {"/dev/null", "", "convert IN -s 640x480 --to rgb24 -o /dev/null", 0, "wrote /dev/null", ""},
    {"/dev/full", "", "convert IN -s 640x480 --to rgb24 -o /dev/full", 4, "No space left", ""},
    {"/dev/stdout as nobody", "", "convert IN -s 640x480 --to rgb24 -o /dev/stdout", 0, "wrote /dev/stdout", "", true},
    {"read-only file as nobody", "cp in.raw ro.rgb24 && chmod 444 ro.rgb24", "convert IN -s 640x480 -o DIR/ro.rgb24",
     4, "Permission denied", "ro.rgb24", true},
    {"writable file as nobody", "cp in.raw w.rgb24 && chmod 666 w.rgb24", "convert IN -s 640x480 -o DIR/w.rgb24", 0,
     "wrote", "w.rgb24", true},
    // Inputs.
    {"standard input", "", "convert - --from bayer -s 640x480 -o DIR/o.png < IN", 0, "o.png", "o.png"},
    {"standard input without --from", "", "convert - -s 640x480 -o DIR/o.png < IN", 2, "give --from", ""},
    {"Y4M 4:2:0", "printf 'YUV4MPEG2 W640 H480 C420\\nFRAME\\n' > v.y4m", "convert DIR/v.y4m -o DIR/o.png", 3,
     "C420", "v.y4m"},
    {"mono Y4M read as YUYV", "printf 'YUV4MPEG2 W640 H480 Cmono\\nFRAME\\n' > m.y4m && cat in.raw >> m.y4m",
     "convert DIR/m.y4m --from yuyv -o DIR/o.png", 2, "mono stream holds Bayer", "m.y4m"},
    {"colour PNG", "TOOL convert in.raw -s 640x480 --quiet -o c.png", "convert DIR/c.png -o DIR/o.png", 3, "8-bit grey",
     "c.png"},
    // Statistics as levels, and the library's own figures.
    {"flat frame", "head -c 307200 /dev/zero | tr '\\0' d > f.raw", "stats DIR/f.raw -s 640x480 --gamma -17", 0,
     " 100/100/100 100/100/100 100/100/100 100/100/100 100/100/100 100/100/100 100/100/100 100/100/100\n", "f.raw"},
    {"flat frame, library means", "head -c 307200 /dev/zero | tr '\\0' d > f.raw",
     "stats DIR/f.raw -s 640x480 --gamma -17 --library-means", 0, "  81/ 80/ 81 121/121/121", "f.raw"},
};

TEST(CliCommands, EndAsDocumented) {
  const Bytes original = sample();
  const std::string nobody = cannot_run_as_nobody();
  for (const CommandCase& c : kCases) {
    SCOPED_TRACE(c.what);
    if (c.as_nobody && !nobody.empty()) {
      std::printf("skipped '%s': %s\n", c.what, nobody.c_str());
      continue;
    }
    TempDir dir;
    write_bytes(dir.file("in.raw"), original);
    if (c.as_nobody) chmod(dir.path().c_str(), 0777);
    if (*c.setup) ASSERT_EQ(std::system(expand("cd DIR && " + std::string(c.setup), dir).c_str()), 0);
    const RunResult r = run_tool(expand(c.args, dir), c.as_nobody);
    EXPECT_EQ(r.exit_code, c.exit_code) << r.err;
    if (c.exit_code == 0) {
      EXPECT_NE((r.out + r.err).find(c.message), std::string::npos) << r.out << r.err;
    } else {
      EXPECT_TRUE(!r.err.empty() && r.err.find('\n') == r.err.size() - 1) << r.err;  // one line
      EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
      if (c.exit_code != 5) EXPECT_EQ(r.out, "");
    }
    std::set<std::string> left{"in.raw"};
    std::istringstream names(c.left);
    for (std::string name; names >> name;) left.insert(name);
    EXPECT_EQ(dir.entries(), left);
    EXPECT_EQ(read_bytes(dir.file("in.raw")), original);
  }
  // The device rows wrote into the devices, not over them.
  struct stat st;
  for (const char* dev : {"/dev/null", "/dev/full"}) EXPECT_TRUE(stat(dev, &st) == 0 && S_ISCHR(st.st_mode)) << dev;
  EXPECT_NE(std::system("ls -a /dev | grep -q partial"), 0);
}

// A run ended by a signal leaves no temporary file: the tool is stopped
// while it waits for the second frame of a stream, its output half done.
TEST(CliCommands, InterruptedRunLeavesNoTemporaryFile) {
  for (int sig : {SIGINT, SIGTERM}) {
    SCOPED_TRACE(sig);
    TempDir dir;
    int feed[2];
    ASSERT_EQ(pipe(feed), 0);
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(feed[0], 0);
      close(feed[1]);
      execl(PPLCAM_TOOL, PPLCAM_TOOL, "convert", "-", "--from", "bayer", "-s", "640x480", "-o",
            dir.file("o.rgb24").c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(feed[0]);
    const std::vector<uint8_t> frame = sample();
    ASSERT_EQ(write(feed[1], frame.data(), frame.size()), ssize_t(frame.size()));
    for (int i = 0; i < 200 && dir.entries().empty(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(dir.entries().size(), 1u);   // the temporary file
    kill(pid, sig);
    int status = 0;
    waitpid(pid, &status, 0);
    close(feed[1]);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << status;
    EXPECT_EQ(dir.entries(), std::set<std::string>{});
  }
}

TEST(CliDemo, CompletesAndWritesEveryFileItLists) {
  TempDir dir;
  const RunResult r = run_tool("demo --output " + dir.path());
  ASSERT_EQ(r.exit_code, 0) << r.err;
  // A file's line starts with its name, unless the file is not available.
  const std::regex file_line(R"(\s*(\S+\.(png|bmp|y4m|txt|json))\s.*)");
  std::istringstream lines(r.out);
  int listed = 0;
  for (std::string line; std::getline(lines, line);) {
    std::smatch file;
    if (!std::regex_match(line, file, file_line) || line.find("not available") != std::string::npos) continue;
    ++listed;
    EXPECT_FALSE(read_bytes(dir.file(file[1])).empty()) << file[1];
  }
  EXPECT_GT(listed, 10);
  for (const std::string& name : dir.entries()) EXPECT_EQ(name.find(".partial"), std::string::npos) << name;
}

}  // namespace
}  // namespace cli_test
