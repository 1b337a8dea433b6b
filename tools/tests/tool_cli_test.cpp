// The tool's command line: exit codes and the first line of stderr for every kind of error.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "tool_run.h"

namespace morvane_tool_test {
namespace {

constexpr int kOk = 0, kFailure = 1, kUsage = 2;

struct ErrorCase {
  std::vector<std::string> args;  // "@" in an argument stands for the scratch directory
  int exit_code;
  std::string first_line;  // of stderr; "@" as above. A trailing '*' matches any rest.
  std::function<bool()> in_child = nullptr;  // as RunTool's
};

class ToolErrors : public ::testing::Test {
 protected:
  void SetUp() override {
    Picture tiny{2, 2, {{1, 2, 3, 255}, {4, 5, 6, 255}, {7, 8, 9, 255}, {10, 11, 12, 255}}};
    WriteBmp32(dir_ / "a.bmp", tiny);
    WriteText(dir_ / "notes.png", "not an image at all\n");
    mkdir((dir_ / "folder.bmp").c_str(), 0755);
  }

  std::string Expand(std::string s) const {
    for (size_t at; (at = s.find('@')) != std::string::npos;) s.replace(at, 1, dir_.path());
    return s;
  }

  // False when the case's `in_child` could not be arranged on this machine.
  bool Check(const ErrorCase& c) {
    std::vector<std::string> args;
    for (const std::string& a : c.args) args.push_back(Expand(a));
    const RunResult r = RunTool(args, dir_.path(), c.in_child);
    if (r.exit_code == kNotRun) return false;
    std::string context;
    for (const std::string& a : args) context += a + " ";
    EXPECT_EQ(r.exit_code, c.exit_code) << context;
    const std::string want = Expand(c.first_line);
    if (!want.empty() && want.back() == '*') {
      EXPECT_EQ(r.FirstErrLine().substr(0, want.size() - 1), want.substr(0, want.size() - 1))
          << context;
    } else {
      EXPECT_EQ(r.FirstErrLine(), want) << context;
    }
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line only: " << context;
    return true;
  }

  ScratchDir dir_;
};

TEST_F(ToolErrors, UsageErrorsExitTwoWithOneLine) {
  const std::string blends =
      "BLEND_NORMAL, BLEND_ADD, BLEND_SUBTRACT, BLEND_MULTIPLY, BLEND_BRIGHTEN";
  const std::string rops =
      "SRCCOPY, SRCPAINT, SRCAND, SRCINVERT, SRCERASE, NOTSRCCOPY, NOTSRCERASE";
  const std::string help = " (see 'morvane compose --help')";
  const ErrorCase cases[] = {
      {{"paint"},
       kUsage,
       "morvane: unknown command 'paint' (commands: showcase, compose; see 'morvane --help')"},
      {{"showcase", "--size", "3"},
       kUsage,
       "morvane: unknown option '--size' (see 'morvane showcase --help')"},
      {{"showcase", "extra"},
       kUsage,
       "morvane: unexpected argument 'extra' (see 'morvane showcase --help')"},
      {{"showcase", "-o"}, kUsage, "morvane: -o needs a file name (see 'morvane showcase --help')"},
      {{"showcase", "-o", "sheet.png"},
       kUsage,
       "morvane: the sheet is written as BMP: name it .bmp (see 'morvane showcase --help')"},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--mode", "sparkle"},
       kUsage,
       "morvane: unknown blend mode 'sparkle'; valid: " + blends + " (or lower case without " +
           "BLEND_)" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--rop", "BLACKNESS"},
       kUsage,
       "morvane: unknown raster operation 'BLACKNESS'; valid: " + rops + " (or lower case)" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--mode", "srcand"},
       kUsage,
       "morvane: 'srcand' is a raster operation: use --rop srcand" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--rop", "ADD"},
       kUsage,
       "morvane: 'ADD' is a blend mode: use --mode ADD" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--mode", "add", "--rop", "srcand"},
       kUsage,
       "morvane: give either --mode or --rop, not both" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--at", "4,x"},
       kUsage,
       "morvane: --at expects X,Y with whole numbers, got '4,x'" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--at=4,5,6"},
       kUsage,
       "morvane: --at expects X,Y with whole numbers, got '4,5,6'" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--at", "3000000000,0"},
       kUsage,
       "morvane: --at expects X,Y between -1000000000 and 1000000000, got '3000000000,0'" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--at", "2147483647,2147483647"},
       kUsage,
       "morvane: --at expects X,Y between -1000000000 and 1000000000, got "
       "'2147483647,2147483647'" +
           help},
      // The bound is the same past 64 bits, and a malformed number outweighs a large one.
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--rect", "0,0,4,-99999999999999999999"},
       kUsage,
       "morvane: --rect expects X,Y,W,H between -1000000000 and 1000000000, got "
       "'0,0,4,-99999999999999999999'" +
           help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--rect", "5000000000,0,4,x"},
       kUsage,
       "morvane: --rect expects X,Y,W,H with whole numbers, got '5000000000,0,4,x'" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--region", "ellipse:0,0,1000000001,4"},
       kUsage,
       "morvane: --region expects ellipse:X,Y,W,H between -1000000000 and 1000000000, got "
       "'ellipse:0,0,1000000001,4'" +
           help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--rect", "0,0,0,4"},
       kUsage,
       "morvane: --rect: W and H must be positive" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--region", "circle:1,2,3"},
       kUsage,
       "morvane: --region expects ellipse:X,Y,W,H, got 'circle:1,2,3'" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--region", "ellipse:1,2,3"},
       kUsage,
       "morvane: --region expects ellipse:X,Y,W,H with whole numbers, got 'ellipse:1,2,3'" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--region", "ellipse:0,0,4,4", "--mode",
        "multiply"},
       kUsage,
       "morvane: --region draws with ClipBlt, which only copies (SRCCOPY); drop --mode multiply" +
           help},
      {{"compose", "a.bmp", "a.bmp", "--at"}, kUsage, "morvane: --at needs a value" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.bmp", "--fast"},
       kUsage,
       "morvane: unknown option '--fast'" + help},
      {{"compose", "a.bmp", "-o", "o.bmp"},
       kUsage,
       "morvane: expected DEST and SRC image files" + help},
      {{"compose", "a.bmp", "a.bmp", "a.bmp", "-o", "o.bmp"},
       kUsage,
       "morvane: expected only DEST and SRC, got 'a.bmp' too" + help},
      {{"compose", "a.bmp", "a.bmp"}, kUsage, "morvane: missing -o OUT" + help},
      {{"compose", "a.bmp", "a.bmp", "-o", "o.jpg"},
       kUsage,
       "morvane: OUT is written as BMP: name it .bmp" + help},
      // Usage is checked before any file is opened.
      {{"compose", "missing.png", "a.bmp", "-o", "o.bmp", "--mode", "x"},
       kUsage,
       "morvane: unknown blend mode 'x'*"},
  };
  for (const ErrorCase& c : cases) Check(c);
}

TEST_F(ToolErrors, RuntimeFailuresExitOne) {
  const ErrorCase cases[] = {
      {{"compose", "missing.png", "a.bmp", "-o", "o.bmp"},
       kFailure,
       "morvane: cannot open missing.png: No such file or directory"},
      {{"compose", "a.bmp", "@/missing.tga", "-o", "o.bmp"},
       kFailure,
       "morvane: cannot open @/missing.tga: No such file or directory"},
      {{"compose", "notes.png", "a.bmp", "-o", "o.bmp"},
       kFailure,
       "morvane: notes.png is not an image this tool can read (PNG, BMP, TGA or JPEG): *"},
      {{"compose", "a.bmp", "a.bmp", "-o", "@/no/such/dir/o.bmp"},
       kFailure,
       "morvane: cannot write @/no/such/dir/o.bmp: No such file or directory"},
      {{"showcase", "-o", "@/no/such/dir/s.bmp"},
       kFailure,
       "morvane: cannot write @/no/such/dir/s.bmp: No such file or directory"},
      // The operating system's reason, whatever the library's save could not do.
      {{"compose", "a.bmp", "a.bmp", "-o", "folder.bmp"},
       kFailure,
       "morvane: cannot write folder.bmp: Is a directory"},
      {{"showcase", "-o", "@"}, kFailure, "morvane: cannot write @: Is a directory"},
      {{"compose", "a.bmp", "a.bmp", "-o", "a.bmp/o.bmp"},
       kFailure,
       "morvane: cannot write a.bmp/o.bmp: Not a directory"},
      {{"compose", "a.bmp", "a.bmp", "-o", "/proc/o.bmp"},
       kFailure,
       "morvane: cannot write /proc/o.bmp: No such file or directory"},
      // A name that is not UTF-8 reads as an input, but the library saves to UTF-8 names only.
      {{"compose", "a.bmp", "a.bmp", "-o", "\xFE.bmp"},
       kFailure,
       "morvane: cannot write \\xFE.bmp: not valid UTF-8 (the library saves to UTF-8 names only)"},
      {{"showcase", "-o", "@/s\xC3.bmp"},
       kFailure,
       "morvane: cannot write @/s\\xC3.bmp: not valid UTF-8 (the library saves to UTF-8 names "
       "only)"},
  };
  for (const ErrorCase& c : cases) Check(c);
}

// Refusals that need the tool to run as someone the permissions apply to, or on a file system that
// only it sees; each is skipped where the machine cannot arrange it.
TEST_F(ToolErrors, OutputsTheSystemRefusesSayWhy) {
  ASSERT_EQ(mkdir((dir_ / "locked").c_str(), 0555), 0);
  ASSERT_EQ(mkdir((dir_ / "ro").c_str(), 0755), 0);
  ASSERT_EQ(chmod((dir_ / "a.bmp").c_str(), 0644), 0);
  const std::string read_only = dir_ / "ro";
  const ErrorCase cases[] = {
      {{"compose", "a.bmp", "a.bmp", "-o", "locked/o.bmp"},
       kFailure,
       "morvane: cannot write locked/o.bmp: Permission denied",
       morvane_test::DropRootInChild},
      {{"showcase", "-o", "@/ro/s.bmp"},
       kFailure,
       "morvane: cannot write @/ro/s.bmp: Read-only file system",
       [read_only] {
         return unshare(CLONE_NEWNS) == 0 &&
                mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                mount("tmpfs", read_only.c_str(), "tmpfs", MS_RDONLY, "size=64k") == 0;
       }},
  };
  int ran = 0;
  for (const ErrorCase& c : cases) ran += Check(c) ? 1 : 0;
  if (ran < 2) GTEST_SKIP() << 2 - ran << " of the 2 cases could not be arranged here";
}

TEST_F(ToolErrors, HelpGoesToStdoutAndExitsZero) {
  const std::vector<std::vector<std::string>> asks = {{"--help"},
                                                      {"help"},
                                                      {"showcase", "--help"},
                                                      {"compose", "-h"},
                                                      {"compose", "--mode", "sparkle", "--help"}};
  const std::string starts[] = {"usage: morvane ", "usage: morvane ", "usage: morvane showcase",
                                "usage: morvane compose", "usage: morvane compose"};
  for (size_t i = 0; i < asks.size(); ++i) {
    const RunResult r = RunTool(asks[i], dir_.path());
    EXPECT_EQ(r.exit_code, kOk) << asks[i][0];
    EXPECT_EQ(r.out.rfind(starts[i], 0), 0u) << r.out;
    EXPECT_EQ(r.err, "");
  }
}

}  // namespace
}  // namespace morvane_tool_test
