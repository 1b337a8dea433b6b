// morvane compose: one of the library's blits on the user's own images.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "host_image.h"
#include "image_file.h"
#include "morvane.h"
#include "operations.h"
#include "output_check.h"
#include "region.h"

namespace morvane_tool {
namespace {

constexpr char kHelp[] =
    "usage: morvane compose DEST SRC -o OUT [--mode NAME | --rop NAME] [--at X,Y]\n"
    "                       [--rect X,Y,W,H] [--region ellipse:X,Y,W,H]\n"
    "\n"
    "Draws SRC onto DEST with one of the library's blits and writes the result to OUT as a\n"
    "24-bit BMP file (alpha is dropped). DEST and SRC may be PNG, BMP, TGA or JPEG files.\n"
    "\n"
    "  -o, --output OUT   the BMP file to write\n"
    "  --mode NAME        BlendBlt with this blend mode (the default: normal)\n"
    "  --rop NAME         RopBlt with this raster operation\n"
    "  --at X,Y           where SRC's corner lands on DEST (default 0,0; may be negative)\n"
    "  --rect X,Y,W,H     draw only this part of SRC (default: all of it)\n"
    "  --region ellipse:X,Y,W,H\n"
    "                     ClipBlt: draw only inside the ellipse that fills this box of DEST;\n"
    "                     it copies as SRCCOPY does, so it takes no other mode\n"
    "  -h, --help         this text\n"
    "\n"
    "Blend modes: normal, add, subtract, multiply, brighten.\n"
    "Raster operations: srccopy, srcpaint, srcand, srcinvert, srcerase, notsrccopy, notsrcerase.\n"
    "The header's names (BLEND_MULTIPLY, SRCINVERT, ...) work too, in any case.\n"
    "X, Y, W and H are whole numbers from -1000000000 to 1000000000.\n"
    "\n"
    "Exit status: 0 done, 1 an input could not be read or the output not written, 2 usage error.\n";

struct ComposeArgs {
  std::vector<std::string> files;  // DEST and SRC
  std::string out;
  const Operation* op = nullptr;
  int32_t at[2] = {0, 0};
  bool has_rect = false;
  int32_t rect[4] = {0, 0, 0, 0};
  bool has_region = false;
  Box ellipse = {0, 0, 0, 0};
};

int Usage(const std::string& message) { return UsageError("compose", message); }

// Reads --mode or --rop. Returns kExitOk or the usage error's exit code.
int ReadOperation(const std::string& option, const std::string& value, ComposeArgs* args) {
  const OpFamily wanted = option == "--mode" ? OpFamily::kBlend : OpFamily::kRop;
  const char* kind = wanted == OpFamily::kBlend ? "blend mode" : "raster operation";
  const Operation* op = FindOperation(value);
  if (op == nullptr) {
    return Usage(
        "unknown " + std::string(kind) + " '" + value + "'; valid: " + OperationNames(wanted) +
        (wanted == OpFamily::kBlend ? " (or lower case without BLEND_)" : " (or lower case)"));
  }
  if (op->family != wanted) {
    const bool is_blend = op->family == OpFamily::kBlend;
    return Usage("'" + value + "' is a " + (is_blend ? "blend mode" : "raster operation") +
                 ": use " + (is_blend ? "--mode " : "--rop ") + value);
  }
  if (args->op != nullptr && args->op->family != wanted) {
    return Usage("give either --mode or --rop, not both");
  }
  args->op = op;
  return kExitOk;
}

int ReadRegion(const std::string& value, ComposeArgs* args) {
  const std::string prefix = "ellipse:";
  int32_t box[4];
  if (value.rfind(prefix, 0) != 0) {
    return Usage("--region expects ellipse:X,Y,W,H, got '" + value + "'");
  }
  const Numbers parsed = ParseNumbers(value.substr(prefix.size()), 4, box);
  if (parsed != Numbers::kOk) {
    return Usage(NumbersError("--region", "ellipse:X,Y,W,H", parsed, value));
  }
  if (box[2] < 1 || box[3] < 1) return Usage("--region: the ellipse's W and H must be positive");
  args->has_region = true;
  args->ellipse = {box[0], box[1], box[2], box[3]};
  return kExitOk;
}

// Fills `args` from the command line. Returns kExitOk, or the exit code of a usage error; `help`
// is set when the help was asked for (and printed).
int ParseComposeArgs(const std::vector<std::string>& argv, ComposeArgs* args, bool* help) {
  if (AsksForHelp(argv)) {
    std::fputs(kHelp, stdout);
    *help = true;
    return kExitOk;
  }
  ArgReader reader(argv);
  while (!reader.Done()) {
    const std::string arg = reader.Next();
    if (!reader.IsOption()) {
      args->files.push_back(arg);
      continue;
    }
    const bool known = arg == "-o" || arg == "--output" || arg == "--mode" || arg == "--rop" ||
                       arg == "--at" || arg == "--rect" || arg == "--region";
    if (!known) return Usage("unknown option '" + arg + "'");
    std::string value;
    if (!reader.Value(&value)) return Usage(arg + " needs a value");
    int status = kExitOk;
    if (arg == "-o" || arg == "--output") {
      args->out = value;
    } else if (arg == "--mode" || arg == "--rop") {
      status = ReadOperation(arg, value, args);
    } else if (arg == "--at") {
      const Numbers parsed = ParseNumbers(value, 2, args->at);
      if (parsed != Numbers::kOk) status = Usage(NumbersError("--at", "X,Y", parsed, value));
    } else if (arg == "--rect") {
      const Numbers parsed = ParseNumbers(value, 4, args->rect);
      if (parsed != Numbers::kOk) {
        status = Usage(NumbersError("--rect", "X,Y,W,H", parsed, value));
      } else if (args->rect[2] < 1 || args->rect[3] < 1) {
        status = Usage("--rect: W and H must be positive");
      }
      args->has_rect = true;
    } else {
      status = ReadRegion(value, args);
    }
    if (status != kExitOk) return status;
  }
  if (args->files.size() != 2) {
    return Usage(args->files.size() < 2
                     ? "expected DEST and SRC image files"
                     : "expected only DEST and SRC, got '" + args->files[2] + "' too");
  }
  if (args->out.empty()) return Usage("missing -o OUT");
  if (!IsBmpName(args->out)) return Usage("OUT is written as BMP: name it .bmp");
  const bool copies = args->op == nullptr || args->op == FindOperation("normal") ||
                      args->op == FindOperation("srccopy");
  if (args->has_region && !copies) {
    return Usage("--region draws with ClipBlt, which only copies (SRCCOPY); drop " +
                 std::string(args->op->family == OpFamily::kBlend ? "--mode " : "--rop ") +
                 args->op->short_name);
  }
  return kExitOk;
}

// The part of the rectangle (x, y, w, h) that lies on DEST, in region coordinates (relative to
// (x, y)): the region need not reach further.
Box DrawnPart(const HostImage& dest, int32_t x, int32_t y, int32_t w, int32_t h) {
  const int64_t left = std::max<int64_t>(0, -int64_t(x));
  const int64_t top = std::max<int64_t>(0, -int64_t(y));
  const int64_t right = std::min<int64_t>(w, int64_t(dest.width()) - x);
  const int64_t bottom = std::min<int64_t>(h, int64_t(dest.height()) - y);
  if (right <= left || bottom <= top) return {0, 0, 0, 0};
  return {int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
}

}  // namespace

int RunCompose(const std::vector<std::string>& argv) {
  ComposeArgs args;
  bool help = false;
  const int parsed = ParseComposeArgs(argv, &args, &help);
  if (parsed != kExitOk || help) return parsed;

  // The library saves only to UTF-8 names; better to say so before the work than after it.
  if (!IsValidUtf8(args.out)) return Fail(kExitFailure, CannotWrite(args.out, kNotUtf8));

  HostImage dest, src;
  std::string error;
  if (!LoadImageFile(args.files[0], &dest, &error) || !LoadImageFile(args.files[1], &src, &error)) {
    return Fail(kExitFailure, error);
  }

  const int32_t x = args.at[0], y = args.at[1];
  int32_t sx = 0, sy = 0, w = src.width(), h = src.height();
  if (args.has_rect) sx = args.rect[0], sy = args.rect[1], w = args.rect[2], h = args.rect[3];

  int32_t result;
  std::string what;
  if (args.has_region) {
    // Region point (0, 0) is DEST's (x, y); the ellipse was given in DEST's coordinates.
    const Box ellipse = {args.ellipse.x - x, args.ellipse.y - y, args.ellipse.w, args.ellipse.h};
    const RegionRecord region = EllipseRegion(ellipse, DrawnPart(dest, x, y, w, h));
    result = ClipBlt(dest.desc(), x, y, w, h, src.desc(), sx, sy, region.get());
    what = "ClipBlt through an ellipse";
  } else {
    const Operation* op = args.op != nullptr ? args.op : FindOperation("normal");
    result = op->family == OpFamily::kBlend
                 ? BlendBlt(dest.desc(), x, y, w, h, src.desc(), sx, sy, op->code)
                 : RopBlt(dest.desc(), x, y, w, h, src.desc(), sx, sy, op->code);
    what = std::string(op->family == OpFamily::kBlend ? "BlendBlt " : "RopBlt ") + op->name;
  }
  if (result == BLT_EMPTY) {
    std::fprintf(stderr, "morvane: note: nothing of SRC falls on DEST; OUT is DEST unchanged\n");
  } else if (result != BLT_DONE) {
    return Fail(kExitFailure, what + " failed with result " + std::to_string(result));
  }

  const int32_t saved = SaveToBitmapA(args.out.c_str(), dest.desc());
  if (saved == SAVE_BADFILE) {
    const uint64_t bytes = BmpFileBytes(dest.width(), dest.height());
    return Fail(kExitFailure, CannotWrite(args.out, WhyNotWritten(args.out, bytes)));
  }
  if (saved != SAVE_DONE) {
    return Fail(kExitFailure, "cannot save a " + std::to_string(dest.width()) + " x " +
                                  std::to_string(dest.height()) + " image as BMP");
  }
  std::printf("%s: %s of %s at %d,%d onto %s (%d x %d)\n", args.out.c_str(), what.c_str(),
              args.files[1].c_str(), x, y, args.files[0].c_str(), dest.width(), dest.height());
  return kExitOk;
}

}  // namespace morvane_tool
