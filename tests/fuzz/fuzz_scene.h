// The bitmaps one fuzz run draws on: the destination, its twin for the model, and a source that may
// be the destination itself, all filled from one seed, with what they held before the call and
// the descriptors to pass (a stand-in with id 0 where a run asks for a bitmap without pixels).
#ifndef MORVANE_TESTS_FUZZ_FUZZ_SCENE_H_
#define MORVANE_TESTS_FUZZ_FUZZ_SCENE_H_

#include <memory>
#include <random>
#include <vector>

#include "fuzz_input.h"
#include "host/host_bitmap.h"
#include "image_copy.h"

namespace morvane_fuzz {

using morvane_test::Fence;
using morvane_test::HostBitmap;
using morvane_test::ImageCopy;
using morvane_test::Pixel;

struct SceneShape {
  int32_t dw, dh, sw, sh;
  Fence dfence, sfence;
  bool self, null_dst, null_src;
};

// Sizes and fences; which bitmaps are shared or missing is the caller's to set.
inline SceneShape ReadSceneShape(FuzzInput& in) {
  SceneShape shape{};
  shape.dw = in.Size(), shape.dh = in.Size(), shape.sw = in.Size(), shape.sh = in.Size();
  shape.dfence = in.Bit() ? Fence::kStart : Fence::kEnd;
  shape.sfence = in.Bit() ? Fence::kStart : Fence::kEnd;
  return shape;
}

struct FuzzScene {
  FuzzScene(const SceneShape& s, uint32_t seed)
      : shape(s),
        dst(s.dw, s.dh, {}, s.dfence),
        want(s.dw, s.dh, {}, s.dfence),
        own_src(s.self ? nullptr : std::make_unique<HostBitmap>(s.sw, s.sh, Pixel{}, s.sfence)),
        none_dst{0, s.dw, s.dh},
        none_src{0, src().width(), src().height()} {
    std::mt19937 rng(seed), twin(seed);
    dst.FillRandom(rng);
    want.FillRandom(twin);
    if (own_src) own_src->FillRandom(rng);
    dst_before = dst.Snapshot();
    src_before = src().Snapshot();
  }

  HostBitmap& src() { return own_src ? *own_src : dst; }
  HostBitmap& want_src() { return own_src ? *own_src : want; }
  const BitmapDesc* dst_desc() const { return shape.null_dst ? &none_dst : dst.desc(); }
  const BitmapDesc* src_desc() { return shape.null_src ? &none_src : src().desc(); }
  bool has_null_view() const { return shape.null_dst || shape.null_src; }
  bool dst_unchanged() const { return dst.Snapshot() == dst_before; }

  // The destination equals the model's, and a separate source is as it was.
  bool MatchesModel() {
    return dst.Snapshot() == want.Snapshot() && (!own_src || own_src->Snapshot() == src_before);
  }

  SceneShape shape;
  HostBitmap dst, want;
  std::unique_ptr<HostBitmap> own_src;
  BitmapDesc none_dst, none_src;
  std::vector<Pixel> dst_before, src_before;
};

// The scene's bitmaps copied into image records before the call, laid out as `layout` picks, for
// the same call through the ordinary-buffer API.
struct FuzzImages {
  FuzzImages(FuzzScene& scene, uint8_t layout)
      : dst(scene.dst, Layout(layout), scene.shape.dfence),
        src(scene.own_src
                ? std::make_unique<ImageCopy>(scene.src(), Layout(layout / 8), scene.shape.sfence)
                : nullptr) {}
  static morvane_test::ImageLayout Layout(uint8_t pick) {
    return morvane_test::ImageLayout(pick % uint8_t(morvane_test::ImageLayout::kCount));
  }
  const MorvaneImage* dst_record() const { return dst.image(); }
  const MorvaneImage* src_record() const { return src ? src->image() : dst.image(); }

  // After the same call through both ways in: a record with a negative size is refused and nothing
  // changes; otherwise the result and every byte are the host bitmaps'.
  bool Agree(int32_t got_image, int32_t got_host, FuzzScene& scene) const {
    const SceneShape& s = scene.shape;
    if (s.dw < 0 || s.dh < 0 || (src && (s.sw < 0 || s.sh < 0))) return got_image == BLT_BADIMAGE;
    return got_image == got_host && dst.DifferenceFrom(scene.dst).empty() &&
           (!src || src->DifferenceFrom(scene.src()).empty());
  }

  morvane_test::ImageCopy dst;
  std::unique_ptr<morvane_test::ImageCopy> src;
};

}  // namespace morvane_fuzz

#endif  // MORVANE_TESTS_FUZZ_FUZZ_SCENE_H_
