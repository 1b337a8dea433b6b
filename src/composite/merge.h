// The per-pixel merge every blit shares: non-premultiplied source-over, where the colour the source
// contributes is an operator's result X = op(d, s) rather than the source colour itself.
#ifndef MORVANE_COMPOSITE_MERGE_H_
#define MORVANE_COMPOSITE_MERGE_H_

#include <cstdint>

namespace morvane {

// Pixel byte order.
constexpr int kBlue = 0, kGreen = 1, kRed = 2, kAlpha = 3;

// Merges the source pixel sp into the destination pixel dp (4 bytes each). All arithmetic is int32
// and every division truncates toward zero.
//
//   a  = da * (255 - sa) / 255 + sa           the new alpha, always 0..255
//   c' = d + (X - d) * sa / a                  per colour byte, X = Op::Apply(d, s)
//
// Since sa <= a, c' lies between d and X, so the byte store never wraps. The product (X - d) * sa
// may be negative; C++ division truncates it toward zero, which is the rule (no shift, no floor).
//
// dp and sp may be the same four bytes (a bitmap merged onto itself). The source alpha is read
// again after the new alpha is stored, so then the weight is a / a and every colour byte becomes
// exactly op(d, d). Each channel reads its two bytes only when its turn comes. Both reads are done
// through the pointers on purpose; do not hoist them.
template <class Op>
inline void MergePixel(uint8_t* dp, const uint8_t* sp) {
  const int32_t a = dp[kAlpha] * (255 - sp[kAlpha]) / 255 + sp[kAlpha];
  dp[kAlpha] = static_cast<uint8_t>(a);
  if (a == 0) return;  // both alphas were 0: the colour stays as it was
  const int32_t sa = sp[kAlpha];
  for (int c = kBlue; c <= kRed; ++c) {
    const int32_t d = dp[c];
    const int32_t x = Op::Apply(d, sp[c]);
    dp[c] = static_cast<uint8_t>(d + (x - d) * sa / a);
  }
}

}  // namespace morvane

#endif  // MORVANE_COMPOSITE_MERGE_H_
