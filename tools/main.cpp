// morvane: a small host of the library. `morvane showcase` draws every operation on built-in
// images; `morvane compose` runs one blit on the user's own images.
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"

namespace {

constexpr char kHelp[] =
    "usage: morvane [showcase [-o FILE]]\n"
    "       morvane compose DEST SRC -o OUT [--mode NAME | --rop NAME] [--at X,Y]\n"
    "                       [--rect X,Y,W,H] [--region ellipse:X,Y,W,H]\n"
    "\n"
    "  showcase  draw every blend mode and raster operation on built-in images (the default)\n"
    "  compose   draw one image onto another with a chosen blit\n"
    "\n"
    "'morvane COMMAND --help' describes a command.\n";

}  // namespace

int main(int argc, char** argv) {
  using namespace morvane_tool;
  const std::vector<std::string> args(argv + (argc > 1 ? 2 : 1), argv + argc);
  const std::string command = argc > 1 ? argv[1] : "showcase";
  if (command == "showcase") return RunShowcase(args);
  if (command == "compose") return RunCompose(args);
  if (command == "-h" || command == "--help" || command == "help") {
    std::fputs(kHelp, stdout);
    return kExitOk;
  }
  return Fail(kExitUsage, "unknown command '" + command +
                              "' (commands: showcase, compose; see 'morvane --help')");
}
