/* Morvane: exact alpha-compositing blits (five blend modes, seven raster operations, a copy
 * through a clip region) and BMP export, on 32-bit pixels: bytes blue, green, red, alpha, not
 * premultiplied. Every call works in place on the calling thread and keeps nothing between calls.
 *
 * Two ways in
 *   Programs with ordinary buffers (the native library): describe each image by a MorvaneImage
 *   (pointer, size, row stride) and call morvane_blend, morvane_rop, morvane_clip and
 *   morvane_save_bmp, at the end of this file.
 *
 *   The host runtime (Morvane.dll and the native library): every bitmap is named by a BitmapDesc,
 *   the host's object id and the bitmap's true width and height; the library follows the id through
 *   the host's records (see BitmapDesc) to the pixel buffer, whose rows are stored bottom-up.
 *
 *     BitmapDesc screen = {screen_id, 640, 480};
 *     BitmapDesc sprite = {sprite_id, 64, 64};
 *     int32_t r = BlendBlt(&screen, 10, 20, 64, 64, &sprite, 0, 0, BLEND_ADD);
 *     // r == BLT_DONE: the sprite was added onto the screen at (10, 20).
 *
 *   On 32-bit Windows (Morvane.dll) every export is __stdcall with an undecorated name and takes
 *   4-byte arguments only. Elsewhere the exports are plain C functions of libmorvane.so.
 *
 * Addresses on 64-bit builds
 *   The host's object id is half the address of its object record, and the records hold 32-bit
 *   addresses. A build whose pointers are wider than 32 bits reads those 32-bit values as the same
 *   numeric addresses, so a 64-bit host must keep its object records, their chain of records and
 *   its pixel buffers below 4 GiB. Descriptors (and regions) passed as arguments are ordinary
 *   native pointers and may lie anywhere, as may a MorvaneImage's pixels.
 */
#ifndef MORVANE_H_
#define MORVANE_H_

#include <stdint.h>

#if defined(_WIN32)
#define MORVANE_CALL __stdcall
#define MORVANE_API
#else
#define MORVANE_CALL
#define MORVANE_API __attribute__((visibility("default")))
#endif /* _WIN32 */

/* A UTF-16 code unit of a wide path: wchar_t on Windows, char16_t elsewhere. */
#if defined(_WIN32)
#include <stddef.h>
typedef wchar_t MorvaneWChar;
#elif defined(__cplusplus)
typedef char16_t MorvaneWChar;
#else
#include <uchar.h>
typedef char16_t MorvaneWChar;
#endif /* _WIN32, __cplusplus */

#ifdef __cplusplus
extern "C" {
#endif

/* The caller's record naming a host bitmap: 12 bytes, three little-endian int32. id 0 names no
 * bitmap. width and height must be the bitmap's true size: every bound the library computes comes
 * from them; the library never reads a size from the host's records.
 *
 * The id leads through the host's own records, each holding 32-bit little-endian addresses, to the
 * pixel buffer:
 *
 *   id * 2 --> object record       +16: address of the data record
 *              data record          +8: address of the pixel-information record
 *              pixel-information   +16: address of the pixel buffer
 *              pixel buffer             width * height pixels of 4 bytes (B, G, R, A, not
 *                                       premultiplied), the bottom row first, no gaps
 *
 * The object record lies at twice the id (the doubling wraps in 32 bits), so it must be at an even
 * address. Only the four words shown are read; the rest of each record is the host's. A 64-bit
 * process reads the 32-bit addresses as they are, so its records and pixel buffers must lie below
 * 4 GiB (mmap with MAP_32BIT on Linux); the BitmapDesc itself may lie anywhere. Programs with
 * ordinary buffers use the MorvaneImage functions below instead. */
typedef struct BitmapDesc {
  int32_t id;
  int32_t width;
  int32_t height;
} BitmapDesc;

/* Results of the blits. */
enum {
  BLT_DONE = 0,      /* the rectangle was composited */
  BLT_EMPTY = 1,     /* nothing drawn: the rectangle fitted to nothing, a descriptor's id is 0, or
                        ClipBlt's region is not a valid region or memory ran short */
  BLT_BADOP = 258,   /* unrecognised blend mode or raster operation; nothing drawn */
  BLT_BADIMAGE = 259 /* the MorvaneImage functions only: an image record (or rectangle list) that
                        cannot describe memory (see MorvaneImage); nothing read or drawn */
};

/* Blend modes, the last argument of BlendBlt. */
enum {
  BLEND_NORMAL = 0,   /* s */
  BLEND_ADD = 1,      /* d + s, capped at 255 */
  BLEND_SUBTRACT = 2, /* d - s, floored at 0 */
  BLEND_MULTIPLY = 3, /* d * s / 255 */
  BLEND_BRIGHTEN = 4  /* d + d * s / 255, capped at 255 */
};

/* Raster operations, the last argument of RopBlt. They carry the platform graphics interface's
 * ternary raster operation codes; where <windows.h> already defined them (same values), its
 * definitions stand. Being enumerators, not macros, they also let <windows.h> come later. */
#ifndef SRCCOPY
enum { SRCCOPY = 0x00CC0020 }; /* s */
#endif
#ifndef SRCPAINT
enum { SRCPAINT = 0x00EE0086 }; /* d | s */
#endif
#ifndef SRCAND
enum { SRCAND = 0x008800C6 }; /* d & s */
#endif
#ifndef SRCINVERT
enum { SRCINVERT = 0x00660046 }; /* d ^ s */
#endif
#ifndef SRCERASE
enum { SRCERASE = 0x00440328 }; /* ~d & s */
#endif
#ifndef NOTSRCCOPY
enum { NOTSRCCOPY = 0x00330008 }; /* ~s */
#endif
#ifndef NOTSRCERASE
enum { NOTSRCERASE = 0x001100A6 }; /* ~(d | s) */
#endif

/* Composites the rectangle (x, y, w, h) of dest with the source rectangle at (sx, sy) of src.
 * Destination pixel (x + j, y + i) receives source pixel (sx + j, sy + i); pairs where either pixel
 * lies outside its bitmap are skipped. Each source pixel's colour is combined with the destination
 * colour by the blend mode and the result is laid over the destination by the source's alpha.
 * Returns BLT_DONE, BLT_EMPTY or BLT_BADOP. */
MORVANE_API int32_t MORVANE_CALL BlendBlt(const BitmapDesc* dest, int32_t x, int32_t y, int32_t w,
                                          int32_t h, const BitmapDesc* src, int32_t sx, int32_t sy,
                                          uint32_t mode);

/* As BlendBlt, with one of the seven raster operations above as the colour combination. Codes are
 * compared exactly; any other code returns BLT_BADOP. */
MORVANE_API int32_t MORVANE_CALL RopBlt(const BitmapDesc* dest, int32_t x, int32_t y, int32_t w,
                                        int32_t h, const BitmapDesc* src, int32_t sx, int32_t sy,
                                        uint32_t rop);

/* The clip region of ClipBlt. Region point (0, 0) is the corner the caller asks for: point (j, i)
 * stands for destination pixel (x + j, y + i) and source pixel (sx + j, sy + i), with the
 * arguments as passed, wherever the rectangle is cut at the bitmaps' edges.
 *
 * On Windows it is a GDI region handle: an HRGN converts to MorvaneRegion without a cast. The
 * caller keeps it; ClipBlt reads its rectangles (GetRegionData) and neither changes nor deletes it.
 *
 * Elsewhere it is the address of a region record in the layout of the Windows RGNDATA: this
 * 32-byte header, then nCount rectangles of four int32 (left, top, right, bottom; right and bottom
 * exclusive; a rectangle with right <= left or bottom <= top is empty, and rectangles may
 * overlap). The record may lie at any address and is only read.
 *   A record is taken as a region when dwSize is 32 and iType is 1. nRgnSize is the byte size of
 * the rectangles, or 0 for "nCount * 16". A record whose sizes contradict each other (a nonzero
 * nRgnSize below nCount * 16, or an nCount whose rectangles could not be measured in 32 bits, that
 * is above 268435454) is not a region either. ClipBlt reads the 32-byte header and, only when it
 * is a region, the first nCount rectangles: never more bytes than the record declares. */
#if defined(_WIN32)
typedef void* MorvaneRegion;
#else
typedef struct MorvaneRgnRect {
  int32_t left, top, right, bottom;
} MorvaneRgnRect;

typedef struct MorvaneRgnData {
  uint32_t dwSize;        /* 32 */
  uint32_t iType;         /* 1: rectangles */
  uint32_t nCount;        /* rectangles that follow the header */
  uint32_t nRgnSize;      /* their size in bytes, or 0 */
  MorvaneRgnRect rcBound; /* ignored */
  /* followed by nCount MorvaneRgnRect */
} MorvaneRgnData;

typedef const MorvaneRgnData* MorvaneRegion;
#endif /* _WIN32 */

/* As RopBlt with SRCCOPY, but only destination pixels whose region point lies inside the region
 * are merged; every other pixel is left as it was. The source is read as it was before the call,
 * also where source and destination share memory. A null region clips nothing; a region that
 * contains none of the rectangle draws nothing and still returns BLT_DONE. A region that is not a
 * valid region draws nothing and returns BLT_EMPTY, as does running short of memory. */
MORVANE_API int32_t MORVANE_CALL ClipBlt(const BitmapDesc* dest, int32_t x, int32_t y, int32_t w,
                                         int32_t h, const BitmapDesc* src, int32_t sx, int32_t sy,
                                         MorvaneRegion region);

/* The library's version number: 2 for version 0.0.2.2 (major * 100 + minor * 10 + build). Unlike
 * the platform's usual export of this name it takes no arguments and returns the number itself. */
MORVANE_API int32_t MORVANE_CALL DllGetVersion(void);

/* Results of SaveToBitmapW and SaveToBitmapA. When a bitmap problem and a path problem come
 * together, SAVE_BADBITMAP is reported. Whatever the result, a file that was already at the path is
 * either replaced whole by the new file or left exactly as it was. */
enum {
  SAVE_DONE = 0,      /* the complete file is at the path */
  SAVE_BADBITMAP = 1, /* id 0, a negative width or height, a file over 4 GiB - 1 bytes, or no memory
                         for it; nothing was touched */
  SAVE_BADFILE = 2    /* the path is null, not valid UTF-8 / UTF-16, or names a place where the file
                         cannot be created, written in full or put in place */
};

/* Writes the bitmap to `path` as an uncompressed 24-bit BMP file: rows bottom-up, blue, green, red,
 * each row padded with zeros to 4 bytes; alpha is dropped. A width or height of 0 gives a file of
 * the 54 header bytes. The file is written under a temporary name beside the target and then moved
 * over it in one step, so a failed save leaves any earlier file as it was. `path` is a
 * NUL-terminated UTF-16 string of any length. Returns SAVE_DONE, SAVE_BADBITMAP or SAVE_BADFILE. */
MORVANE_API int32_t MORVANE_CALL SaveToBitmapW(const MorvaneWChar* path, const BitmapDesc* desc);

/* As SaveToBitmapW, with `path` a NUL-terminated UTF-8 string; invalid UTF-8 gives SAVE_BADFILE. */
MORVANE_API int32_t MORVANE_CALL SaveToBitmapA(const char* path, const BitmapDesc* desc);

#if !defined(_WIN32)
/* The ordinary-buffer API, in the native library only (Morvane.dll has the six exports above and
 * nothing else). The same blits and the same bytes as the host's exports, on images that a
 * program describes itself: the pixels may lie anywhere, rows may be padded, stored either way
 * up, or be part of a larger buffer.
 *
 *   uint8_t* px = malloc(640 * 480 * 4);  (B, G, R, A bytes, not premultiplied)
 *   MorvaneImage screen = {px, 640, 480, 640 * 4};
 *   MorvaneImage sprite = {sprite_pixels, 64, 64, 64 * 4};
 *   morvane_blend(&screen, 10, 20, 64, 64, &sprite, 0, 0, BLEND_NORMAL);
 *
 * A numpy array of shape (h, w, 4) and dtype uint8 is an image as it stands: its data pointer,
 * w, h and strides[0]. */
#include <stddef.h>

typedef struct MorvaneImage {
  void* pixels;     /* first byte of row 0, the top row */
  int32_t width;    /* in pixels */
  int32_t height;   /* in rows */
  ptrdiff_t stride; /* bytes from row y to row y + 1: width * 4 or more for top-down storage,
                       negative for bottom-up storage like the host's */
} MorvaneImage;

/* A rectangle of morvane_clip's region; right and bottom are exclusive, and a rectangle with
 * right <= left or bottom <= top is empty. */
typedef struct MorvaneRect {
  int32_t left, top, right, bottom;
} MorvaneRect;

/* Every function checks its image records before anything else and returns BLT_BADIMAGE (the save:
 * SAVE_BADBITMAP), touching nothing, for a null record, a negative width or height, or an image
 * with pixels (width and height both above 0) whose pixels pointer is null, whose |stride| is
 * less than width * 4, or whose bytes would run past the end of the address space. An image with
 * no pixels may have a null pointer; a blit onto or from it returns BLT_EMPTY. The images may share
 * memory, a record may be both source and destination: the result is then the host exports'
 * pixel-by-pixel order, as for one bitmap blitted onto itself. */

/* As BlendBlt: mode is BLEND_NORMAL .. BLEND_BRIGHTEN. Returns BLT_DONE, BLT_EMPTY (nothing left
 * after fitting), BLT_BADOP or BLT_BADIMAGE. */
MORVANE_API int32_t morvane_blend(const MorvaneImage* dest, int32_t x, int32_t y, int32_t w,
                                  int32_t h, const MorvaneImage* src, int32_t sx, int32_t sy,
                                  int32_t mode);

/* As RopBlt: rop is one of the seven raster operations above. */
MORVANE_API int32_t morvane_rop(const MorvaneImage* dest, int32_t x, int32_t y, int32_t w,
                                int32_t h, const MorvaneImage* src, int32_t sx, int32_t sy,
                                uint32_t rop);

/* As ClipBlt, through the union of the `count` rectangles at `rects` (they may overlap): region
 * point (j, i) is destination pixel (x + j, y + i), with the arguments as passed. A null `rects`
 * with count 0 clips nothing; count 0 otherwise draws nothing and returns BLT_DONE. A negative
 * count, or a null `rects` with a positive one, returns BLT_BADIMAGE. BLT_EMPTY also means that
 * memory ran short. */
MORVANE_API int32_t morvane_clip(const MorvaneImage* dest, int32_t x, int32_t y, int32_t w,
                                 int32_t h, const MorvaneImage* src, int32_t sx, int32_t sy,
                                 const MorvaneRect* rects, int32_t count);

/* As SaveToBitmapA: `path` is UTF-8; the file replaces any earlier one in one step or not at all.
 * An image with no pixels gives a file of the 54 header bytes. Returns SAVE_DONE, SAVE_BADBITMAP or
 * SAVE_BADFILE. */
MORVANE_API int32_t morvane_save_bmp(const char* path, const MorvaneImage* image);
#endif /* !_WIN32 */

#ifdef __cplusplus
} /* extern "C" */
#endif

#endif /* MORVANE_H_ */
