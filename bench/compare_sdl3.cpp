// SDL3 as a peer, where the build found it (MORVANE_BENCH_SDL3 names its library file).
//
// SDL2 and SDL3 export functions of the same names (SDL_SetSurfaceBlendMode, SDL_GetVersion, ...)
// with other meanings, and an executable binds each name once: linked beside SDL2, one release's
// calls would land in the other's library. So SDL3 is opened on its own at run time and its few
// calls are looked up in it alone.
#include "compare.h"

#if defined(MORVANE_BENCH_SDL3)

#include <SDL3/SDL_error.h>
#include <SDL3/SDL_surface.h>
#include <SDL3/SDL_version.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>

namespace morvane_bench {
namespace {

template <typename Function>
bool Find(void* library, const char* name, Function* out) {
  void* address = dlsym(library, name);
  std::memcpy(out, &address, sizeof address);
  return address != nullptr;
}

class Sdl3Peer final : public SdlPeer {
 public:
  // The library loaded and every call found, or why not.
  bool Load(std::string* why) {
    void* library = dlopen(MORVANE_BENCH_SDL3, RTLD_NOW | RTLD_LOCAL);
    if (library == nullptr) {
      *why = dlerror();
      return false;
    }
    if (!Find(library, "SDL_CreateSurfaceFrom", &create_) ||
        !Find(library, "SDL_SetSurfaceBlendMode", &set_blend_mode_) ||
        !Find(library, "SDL_BlitSurface", &blit_) ||
        !Find(library, "SDL_DestroySurface", &destroy_) ||
        !Find(library, "SDL_GetVersion", &get_version_) ||
        !Find(library, "SDL_GetError", &get_error_)) {
      *why = std::string(MORVANE_BENCH_SDL3) + " lacks an SDL3 call";
      return false;
    }
    return true;
  }

  const char* name() const override { return "SDL3"; }

  std::string version() const override {
    const int v = get_version_();
    return std::to_string(SDL_VERSIONNUM_MAJOR(v)) + "." + std::to_string(SDL_VERSIONNUM_MINOR(v)) +
           "." + std::to_string(SDL_VERSIONNUM_MICRO(v));
  }

  void* Wrap(uint8_t* pixels, int32_t width, int32_t height) const override {
    SDL_Surface* surface = create_(width, height, SDL_PIXELFORMAT_ARGB8888, pixels, width * 4);
    if (surface == nullptr || !set_blend_mode_(surface, SDL_BLENDMODE_BLEND)) {
      std::fprintf(stderr, "SDL3 surface: %s\n", get_error_());
      std::abort();
    }
    return surface;
  }

  void Free(void* surface) const override { destroy_(static_cast<SDL_Surface*>(surface)); }

  void Blit(void* source, void* destination, int32_t x, int32_t y) const override {
    const SDL_Rect at = {x, y, 0, 0};
    blit_(static_cast<SDL_Surface*>(source), nullptr, static_cast<SDL_Surface*>(destination), &at);
  }

 private:
  decltype(&SDL_CreateSurfaceFrom) create_ = nullptr;
  decltype(&SDL_SetSurfaceBlendMode) set_blend_mode_ = nullptr;
  decltype(&SDL_BlitSurface) blit_ = nullptr;
  decltype(&SDL_DestroySurface) destroy_ = nullptr;
  decltype(&SDL_GetVersion) get_version_ = nullptr;
  decltype(&SDL_GetError) get_error_ = nullptr;
};

}  // namespace

const SdlPeer* Sdl3(std::string* why) {
  static std::string failure;
  static const Sdl3Peer* const peer = [] {
    static Sdl3Peer loaded;
    return loaded.Load(&failure) ? &loaded : nullptr;
  }();
  if (why != nullptr) *why = failure;
  return peer;
}

}  // namespace morvane_bench

#else

namespace morvane_bench {

const SdlPeer* Sdl3(std::string* why) {
  if (why != nullptr) *why = "not found when the bench was configured (CMAKE_PREFIX_PATH)";
  return nullptr;
}

}  // namespace morvane_bench

#endif  // MORVANE_BENCH_SDL3
