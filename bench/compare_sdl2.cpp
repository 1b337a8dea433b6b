// SDL2 as a peer: the release Debian ships, linked as usual.
#include <SDL.h>

#include <cstdlib>

#include "compare.h"

namespace morvane_bench {
namespace {

class Sdl2Peer final : public SdlPeer {
 public:
  const char* name() const override { return "SDL2"; }

  std::string version() const override {
    SDL_version v;
    SDL_GetVersion(&v);
    return std::to_string(v.major) + "." + std::to_string(v.minor) + "." + std::to_string(v.patch);
  }

  void* Wrap(uint8_t* pixels, int32_t width, int32_t height) const override {
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels, width, height, 32, width * 4,
                                                              SDL_PIXELFORMAT_ARGB8888);
    if (surface == nullptr || SDL_SetSurfaceBlendMode(surface, SDL_BLENDMODE_BLEND) != 0) {
      std::fprintf(stderr, "SDL2 surface: %s\n", SDL_GetError());
      std::abort();
    }
    return surface;
  }

  void Free(void* surface) const override { SDL_FreeSurface(static_cast<SDL_Surface*>(surface)); }

  void Blit(void* source, void* destination, int32_t x, int32_t y) const override {
    SDL_Rect at = {x, y, 0, 0};  // SDL2 writes the clipped rectangle back into it
    SDL_BlitSurface(static_cast<SDL_Surface*>(source), nullptr,
                    static_cast<SDL_Surface*>(destination), &at);
  }
};

}  // namespace

const SdlPeer& Sdl2() {
  static const Sdl2Peer peer;
  return peer;
}

}  // namespace morvane_bench
