// The colour operators: pure functions of the destination byte d and the source byte s, each
// giving X in 0..255. One struct per operator so that every rectangle walk is built for exactly
// one.
#ifndef MORVANE_COMPOSITE_CHANNEL_OPS_H_
#define MORVANE_COMPOSITE_CHANNEL_OPS_H_

#include <cstdint>

namespace morvane {

// Arithmetic blend modes. Divisions truncate; the caps compare with < 255, so a sum of exactly 255
// takes the cap branch, which gives the same value.
struct BlendOp {
  struct Normal {
    static int32_t Apply(int32_t, int32_t s) { return s; }
  };
  struct Add {
    static int32_t Apply(int32_t d, int32_t s) { return d + s < 255 ? d + s : 255; }
  };
  struct Subtract {
    static int32_t Apply(int32_t d, int32_t s) { return d - s > 0 ? d - s : 0; }
  };
  struct Multiply {
    static int32_t Apply(int32_t d, int32_t s) { return d * s / 255; }
  };
  // Raises d by its own share of s: d * (1 + s / 255), capped.
  struct Brighten {
    static int32_t Apply(int32_t d, int32_t s) {
      const int32_t t = d + d * s / 255;
      return t < 255 ? t : 255;
    }
  };
};

// Raster operations on 8-bit colour bytes; NOT is taken in 8 bits (255 - v).
struct RopOp {
  struct SrcCopy {
    static int32_t Apply(int32_t, int32_t s) { return s; }
  };
  struct SrcPaint {
    static int32_t Apply(int32_t d, int32_t s) { return d | s; }
  };
  struct SrcAnd {
    static int32_t Apply(int32_t d, int32_t s) { return d & s; }
  };
  struct SrcInvert {
    static int32_t Apply(int32_t d, int32_t s) { return d ^ s; }
  };
  struct SrcErase {
    static int32_t Apply(int32_t d, int32_t s) { return (d ^ 0xFF) & s; }
  };
  struct NotSrcCopy {
    static int32_t Apply(int32_t, int32_t s) { return s ^ 0xFF; }
  };
  struct NotSrcErase {
    static int32_t Apply(int32_t d, int32_t s) { return (d | s) ^ 0xFF; }
  };
};

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_CHANNEL_OPS_H_
