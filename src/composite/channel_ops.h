// The colour operators: pure functions of the destination byte d and the source byte s, each
// giving X in 0..255. One struct per operator, carrying the code a caller passes for it and its
// name, so that every rectangle walk is built for exactly one. The two lists at the end are the
// only place that orders them: every table (names, the reference walks, each vector level's
// walks) is generated from them.
#ifndef MORVANE_COMPOSITE_CHANNEL_OPS_H_
#define MORVANE_COMPOSITE_CHANNEL_OPS_H_

#include <cstddef>
#include <cstdint>

#include "morvane.h"

namespace morvane {

// Arithmetic blend modes. Divisions truncate; the caps compare with < 255, so a sum of exactly 255
// takes the cap branch, which gives the same value.
struct BlendOp {
  struct Normal {
    static constexpr uint32_t kCode = BLEND_NORMAL;
    static constexpr const char* kName = "BLEND_NORMAL";
    static constexpr int32_t Apply(int32_t, int32_t s) { return s; }
  };
  struct Add {
    static constexpr uint32_t kCode = BLEND_ADD;
    static constexpr const char* kName = "BLEND_ADD";
    static constexpr int32_t Apply(int32_t d, int32_t s) { return d + s < 255 ? d + s : 255; }
  };
  struct Subtract {
    static constexpr uint32_t kCode = BLEND_SUBTRACT;
    static constexpr const char* kName = "BLEND_SUBTRACT";
    static constexpr int32_t Apply(int32_t d, int32_t s) { return d - s > 0 ? d - s : 0; }
  };
  struct Multiply {
    static constexpr uint32_t kCode = BLEND_MULTIPLY;
    static constexpr const char* kName = "BLEND_MULTIPLY";
    static constexpr int32_t Apply(int32_t d, int32_t s) { return d * s / 255; }
  };
  // Raises d by its own share of s: d * (1 + s / 255), capped.
  struct Brighten {
    static constexpr uint32_t kCode = BLEND_BRIGHTEN;
    static constexpr const char* kName = "BLEND_BRIGHTEN";
    static constexpr int32_t Apply(int32_t d, int32_t s) {
      const int32_t t = d + d * s / 255;
      return t < 255 ? t : 255;
    }
  };
};

// Raster operations on 8-bit colour bytes; NOT is taken in 8 bits (255 - v).
struct RopOp {
  struct SrcCopy {
    static constexpr uint32_t kCode = SRCCOPY;
    static constexpr const char* kName = "SRCCOPY";
    static constexpr int32_t Apply(int32_t, int32_t s) { return s; }
  };
  struct SrcPaint {
    static constexpr uint32_t kCode = SRCPAINT;
    static constexpr const char* kName = "SRCPAINT";
    static constexpr int32_t Apply(int32_t d, int32_t s) { return d | s; }
  };
  struct SrcAnd {
    static constexpr uint32_t kCode = SRCAND;
    static constexpr const char* kName = "SRCAND";
    static constexpr int32_t Apply(int32_t d, int32_t s) { return d & s; }
  };
  struct SrcInvert {
    static constexpr uint32_t kCode = SRCINVERT;
    static constexpr const char* kName = "SRCINVERT";
    static constexpr int32_t Apply(int32_t d, int32_t s) { return d ^ s; }
  };
  struct SrcErase {
    static constexpr uint32_t kCode = SRCERASE;
    static constexpr const char* kName = "SRCERASE";
    static constexpr int32_t Apply(int32_t d, int32_t s) { return (d ^ 0xFF) & s; }
  };
  struct NotSrcCopy {
    static constexpr uint32_t kCode = NOTSRCCOPY;
    static constexpr const char* kName = "NOTSRCCOPY";
    static constexpr int32_t Apply(int32_t, int32_t s) { return s ^ 0xFF; }
  };
  struct NotSrcErase {
    static constexpr uint32_t kCode = NOTSRCERASE;
    static constexpr const char* kName = "NOTSRCERASE";
    static constexpr int32_t Apply(int32_t d, int32_t s) { return (d | s) ^ 0xFF; }
  };
};

template <class... Ops>
struct OpList {
  static constexpr size_t kCount = sizeof...(Ops);
};

// Blend modes in mode order, so that a mode is also its row's index; raster operations in the
// order the public header lists them.
using BlendOpList =
    OpList<BlendOp::Normal, BlendOp::Add, BlendOp::Subtract, BlendOp::Multiply, BlendOp::Brighten>;
using RopOpList = OpList<RopOp::SrcCopy, RopOp::SrcPaint, RopOp::SrcAnd, RopOp::SrcInvert,
                         RopOp::SrcErase, RopOp::NotSrcCopy, RopOp::NotSrcErase>;

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_CHANNEL_OPS_H_
