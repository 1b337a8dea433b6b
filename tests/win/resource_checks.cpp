// Every export run many times over must give back all it takes: GDI objects, kernel handles and
// heap memory return to where they started. The calls themselves are cheap here; what is
// measured is only what the library leaves behind.
#include <cstdio>
#include <string>
#include <vector>

#include "host/host_bitmap.h"
#include "wintest.h"

namespace {

using morvane_test::HostBitmap;

using morvane_wintest::A;

// Bytes in use on the process heap, which the C runtime's malloc draws from too.
size_t HeapBytesInUse() {
  HANDLE heap = GetProcessHeap();
  size_t used = 0;
  if (!HeapLock(heap)) return 0;
  PROCESS_HEAP_ENTRY entry{};
  while (HeapWalk(heap, &entry)) {
    if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) used += entry.cbData;
  }
  HeapUnlock(heap);
  return used;
}

// Where the system keeps no counts (Wine answers 0 for both), the slot the next new handle takes
// tells instead: both tables hand out the lowest free slot, so anything left open in between
// moves it.
uintptr_t NextKernelSlot() {
  HANDLE probe = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  CloseHandle(probe);
  return reinterpret_cast<uintptr_t>(probe);
}

uintptr_t NextGdiSlot() {
  HRGN probe = CreateRectRgn(0, 0, 1, 1);
  DeleteObject(probe);
  return reinterpret_cast<uintptr_t>(probe) & 0xFFFF;  // the rest counts reuses of the slot
}

struct Usage {
  DWORD gdi_objects;
  DWORD handles;
  uintptr_t kernel_slot;
  uintptr_t gdi_slot;
  size_t heap;
};

Usage Measure() {
  Usage u{};
  u.gdi_objects = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  GetProcessHandleCount(GetCurrentProcess(), &u.handles);
  u.kernel_slot = NextKernelSlot();
  u.gdi_slot = NextGdiSlot();
  u.heap = HeapBytesInUse();
  return u;
}

}  // namespace

WIN_GROUP(ResourceBalance) {
  // Everything the loops use is made before the first measurement.
  HostBitmap dst(64, 48), src(96, 96);
  const BitmapDesc none{0, 4, 4};
  HRGN ellipse = CreateEllipticRgn(0, 0, 40, 30);
  HRGN ring = CreateEllipticRgn(0, 0, 60, 60);
  HRGN hole = CreateEllipticRgn(15, 15, 45, 45);
  CombineRgn(ring, ring, hole, RGN_DIFF);
  HRGN many = CreateRectRgn(0, 0, 0, 0);
  for (int i = 0; i < 200; ++i) {
    HRGN bit = CreateRectRgn(i % 20 * 3, i / 20 * 3, i % 20 * 3 + 2, i / 20 * 3 + 2);
    CombineRgn(many, many, bit, RGN_OR);
    DeleteObject(bit);
  }
  HBRUSH not_a_region = CreateSolidBrush(RGB(1, 2, 3));
  wchar_t folder[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, folder);
  const std::wstring wide_path = std::wstring(folder) + L"morvane-balance.bmp";
  std::string narrow_path;
  for (wchar_t c : wide_path) narrow_path += static_cast<char>(c < 128 ? c : '_');
  const std::wstring bad_path = std::wstring(folder) + L"no-such-folder\\x.bmp";
  // One call of each kind first, so that whatever the runtime sets up once is not counted.
  t.Call("ClipBlt", {A(dst.desc()), 0, 0, 40, 30, A(src.desc()), 0, 0, A(ellipse)});
  t.Call("SaveToBitmapW", {A(wide_path.c_str()), A(dst.desc())});
  t.Call("SaveToBitmapA", {A(narrow_path.c_str()), A(dst.desc())});

  const Usage before = Measure();
  int failures = 0;
  for (int i = 0; i < 2000; ++i) {
    HRGN region = i % 4 == 0 ? ellipse : i % 4 == 1 ? ring : i % 4 == 2 ? many : nullptr;
    failures += t.Call("ClipBlt", {A(dst.desc()), uintptr_t(i % 9) - 4, 0, 60, 60, A(src.desc()),
                                   uintptr_t(i % 7), 3, A(region)}) != BLT_DONE;
  }
  for (int i = 0; i < 200; ++i) {
    failures += t.Call("ClipBlt", {A(dst.desc()), 0, 0, 8, 8, A(src.desc()), 0, 0,
                                   A(not_a_region)}) != BLT_EMPTY;
    failures += t.Call("BlendBlt", {A(dst.desc()), 1, 1, 50, 50, A(src.desc()), 0, 0, 3u}) != 0;
    failures +=
        t.Call("RopBlt", {A(dst.desc()), 1, 1, 50, 50, A(src.desc()), 0, 0, SRCINVERT}) != 0;
  }
  for (int i = 0; i < 150; ++i) {
    failures += t.Call("SaveToBitmapW", {A(wide_path.c_str()), A(dst.desc())}) != SAVE_DONE;
    failures += t.Call("SaveToBitmapA", {A(narrow_path.c_str()), A(src.desc())}) != SAVE_DONE;
    failures += t.Call("SaveToBitmapW", {A(bad_path.c_str()), A(dst.desc())}) != SAVE_BADFILE;
    failures += t.Call("SaveToBitmapA", {A(narrow_path.c_str()), A(&none)}) != SAVE_BADBITMAP;
  }
  const Usage after = Measure();
  WIN_CHECK_EQ(t, failures, 0);
  WIN_CHECK_EQ(t, after.gdi_objects, before.gdi_objects);
  WIN_CHECK_EQ(t, after.handles, before.handles);
  WIN_CHECK_EQ(t, after.kernel_slot, before.kernel_slot);
  WIN_CHECK_EQ(t, after.gdi_slot, before.gdi_slot);
  WIN_CHECK_EQ(t, after.heap, before.heap);
  // The probes would see a leak: one handle and one region left open move both.
  HANDLE leaked_handle = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HRGN leaked_region = CreateRectRgn(0, 0, 2, 2);
  void* leaked_memory = HeapAlloc(GetProcessHeap(), 0, 100);
  const Usage leaky = Measure();
  WIN_CHECK(t, leaky.kernel_slot != before.kernel_slot || leaky.handles != before.handles);
  WIN_CHECK(t, leaky.gdi_slot != before.gdi_slot || leaky.gdi_objects != before.gdi_objects);
  WIN_CHECK(t, leaky.heap != before.heap);
  CloseHandle(leaked_handle);
  DeleteObject(leaked_region);
  HeapFree(GetProcessHeap(), 0, leaked_memory);
  std::printf("       resources: %lu GDI objects, %lu handles, %lu heap bytes in use\n",
              after.gdi_objects, after.handles, static_cast<unsigned long>(after.heap));

  DeleteFileW(wide_path.c_str());
  for (HGDIOBJ o :
       {static_cast<HGDIOBJ>(ellipse), static_cast<HGDIOBJ>(ring), static_cast<HGDIOBJ>(hole),
        static_cast<HGDIOBJ>(many), static_cast<HGDIOBJ>(not_a_region)}) {
    DeleteObject(o);
  }
}
