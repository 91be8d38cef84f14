#pragma once

#include <SDL.h>

#include <memory>

namespace platform::sdl {

// Owners of SDL objects, released with their own SDL call.
struct WindowDeleter {
  void operator()(SDL_Window* p) const { SDL_DestroyWindow(p); }
};
struct RendererDeleter {
  void operator()(SDL_Renderer* p) const { SDL_DestroyRenderer(p); }
};
struct TextureDeleter {
  void operator()(SDL_Texture* p) const { SDL_DestroyTexture(p); }
};
struct CursorDeleter {
  void operator()(SDL_Cursor* p) const { SDL_FreeCursor(p); }
};
using UniqueWindow = std::unique_ptr<SDL_Window, WindowDeleter>;
using UniqueRenderer = std::unique_ptr<SDL_Renderer, RendererDeleter>;
using UniqueTexture = std::unique_ptr<SDL_Texture, TextureDeleter>;
using UniqueCursor = std::unique_ptr<SDL_Cursor, CursorDeleter>;

// SDL's video subsystem, initialised for the life of the object.
class VideoSubsystem {
 public:
  VideoSubsystem() : ok_(SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) {}
  ~VideoSubsystem() {
    if (ok_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  }
  VideoSubsystem(const VideoSubsystem&) = delete;
  VideoSubsystem& operator=(const VideoSubsystem&) = delete;
  bool Ok() const { return ok_; }

 private:
  bool ok_;
};

}  // namespace platform::sdl
