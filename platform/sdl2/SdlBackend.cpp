#include "platform/sdl2/SdlBackend.h"

#include <algorithm>

#include "platform/DebugLog.h"
#include "platform/sdl2/SdlObjects.h"
#include "platform/sdl2/WindowHost.h"
#include "platform/window/Window.h"

namespace platform {

struct SdlBackend::Impl {
  sdl::VideoSubsystem video;  // first: outlives every SDL object below
  sdl::UniqueWindow window;
  sdl::UniqueRenderer renderer;
  sdl::UniqueTexture texture;
  sdl::UniqueCursor waitCursor;
  sdl::UniqueCursor arrowCursor;
  Size screen;
  int zoom = 1;
  std::function<void(int)> zoomChanged;
  std::uint32_t wakeEvent = 0;

  bool MakeTexture() {
    texture.reset(SDL_CreateTexture(renderer.get(), SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                    screen.width, screen.height));
    return texture != nullptr;
  }
  void Translate(const SDL_Event& e, Window& target);
  // Ctrl+Plus / Ctrl+Minus: one step larger or smaller, within 1..kMaxZoom.
  bool ZoomKey(const SDL_Keysym& key);
};

bool SdlBackend::Impl::ZoomKey(const SDL_Keysym& key) {
  if (!(key.mod & KMOD_CTRL)) return false;
  int step = 0;
  if (key.sym == SDLK_PLUS || key.sym == SDLK_EQUALS || key.sym == SDLK_KP_PLUS) step = 1;
  if (key.sym == SDLK_MINUS || key.sym == SDLK_KP_MINUS) step = -1;
  if (step == 0) return false;
  const int wanted = std::clamp(zoom + step, 1, WindowOptions::kMaxZoom);
  if (wanted != zoom) {
    zoom = wanted;
    SDL_SetWindowSize(window.get(), screen.width * zoom, screen.height * zoom);
    DebugPrintf("desktop window: zoom %d", zoom);
    if (zoomChanged) zoomChanged(zoom);
  }
  return true;
}

std::uint32_t VirtualKeyFromSdl(std::int32_t key) {
  if (key >= SDLK_a && key <= SDLK_z) return static_cast<std::uint32_t>('A' + (key - SDLK_a));
  if (key >= SDLK_0 && key <= SDLK_9) return static_cast<std::uint32_t>('0' + (key - SDLK_0));
  if (key >= SDLK_F1 && key <= SDLK_F12) return vk::kF1 + static_cast<std::uint32_t>(key - SDLK_F1);
  switch (key) {
    case SDLK_RETURN:
    case SDLK_KP_ENTER: return vk::kReturn;
    case SDLK_LEFT: return vk::kLeft;
    case SDLK_UP: return vk::kUp;
    case SDLK_RIGHT: return vk::kRight;
    case SDLK_DOWN: return vk::kDown;
    case SDLK_BACKSPACE: return vk::kBack;
    case SDLK_DELETE: return vk::kDelete;
    case SDLK_HOME: return vk::kHome;
    case SDLK_END: return vk::kEnd;
    case SDLK_ESCAPE: return vk::kEscape;
    case SDLK_TAB: return vk::kTab;
    case SDLK_SPACE: return vk::kSpace;
    default: return 0;
  }
}

int SdlBackend::DisplayZoom(std::int32_t screenHeight) {
  const sdl::VideoSubsystem video;
  SDL_Rect usable{};
  return video.Ok() && SDL_GetDisplayUsableBounds(0, &usable) == 0 ? AutomaticZoom(screenHeight, usable.h) : 1;
}

std::unique_ptr<SdlBackend> SdlBackend::Create(Size screen, int zoom, const std::string& title,
                                               std::string& error, std::function<void(int)> zoomChanged) {
  auto impl = std::make_unique<Impl>();
  if (!impl->video.Ok()) {
    error = std::string("cannot open the display: ") + SDL_GetError();
    return nullptr;
  }
  impl->screen = screen;
  impl->zoomChanged = std::move(zoomChanged);
  if (zoom <= 0) {
    SDL_Rect usable{};
    zoom = SDL_GetDisplayUsableBounds(0, &usable) == 0 ? AutomaticZoom(screen.height, usable.h) : 1;
  }
  impl->zoom = std::clamp(zoom, 1, WindowOptions::kMaxZoom);
  DebugPrintf("desktop window: zoom %d", impl->zoom);
  // The window shows one small picture the program draws itself: SDL's software renderer
  // does that without loading an OpenGL stack (tens of megabytes of driver code resident on
  // machines without a GPU driver). The environment may still choose otherwise.
  SDL_SetHintWithPriority(SDL_HINT_RENDER_DRIVER, "software", SDL_HINT_DEFAULT);
  SDL_SetHintWithPriority(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0", SDL_HINT_DEFAULT);
  impl->window.reset(SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                      screen.width * impl->zoom, screen.height * impl->zoom, 0));
  if (impl->window) impl->renderer.reset(SDL_CreateRenderer(impl->window.get(), -1, 0));
  if (!impl->renderer || !impl->MakeTexture()) {
    error = std::string("cannot create the window: ") + SDL_GetError();
    return nullptr;
  }
  impl->waitCursor.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_WAIT));
  impl->arrowCursor.reset(SDL_CreateSystemCursor(SDL_SYSTEM_CURSOR_ARROW));
  impl->wakeEvent = SDL_RegisterEvents(1);
  SDL_StartTextInput();
  // SDL keeps the screensaver off for as long as its video runs; the client lets the desktop
  // sleep except while music plays (KeepSystemAwake).
  SDL_EnableScreenSaver();
  return std::unique_ptr<SdlBackend>(new SdlBackend(std::move(impl)));
}

SdlBackend::SdlBackend(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
SdlBackend::~SdlBackend() = default;

void SdlBackend::Impl::Translate(const SDL_Event& e, Window& target) {
  InputEvent event;
  switch (e.type) {
    case SDL_QUIT:
      event.type = InputEvent::Type::kCloseRequest;
      break;
    case SDL_WINDOWEVENT:
      if (e.window.event == SDL_WINDOWEVENT_EXPOSED) target.Present();
      return;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (e.type == SDL_KEYDOWN && ZoomKey(e.key.keysym)) return;
      event.type = e.type == SDL_KEYDOWN ? InputEvent::Type::kKeyDown : InputEvent::Type::kKeyUp;
      event.key = VirtualKeyFromSdl(e.key.keysym.sym);
      event.ctrl = (e.key.keysym.mod & KMOD_CTRL) != 0;
      event.shift = (e.key.keysym.mod & KMOD_SHIFT) != 0;
      if (event.key == 0) return;
      break;
    case SDL_TEXTINPUT:
      event.type = InputEvent::Type::kText;
      event.text = e.text.text;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (e.button.button != SDL_BUTTON_LEFT) return;
      event.type = e.type == SDL_MOUSEBUTTONDOWN ? InputEvent::Type::kStylusDown : InputEvent::Type::kStylusUp;
      event.x = e.button.x / zoom;
      event.y = e.button.y / zoom;
      break;
    case SDL_MOUSEMOTION:
      if (!(e.motion.state & SDL_BUTTON_LMASK)) return;
      event.type = InputEvent::Type::kStylusMove;
      event.x = e.motion.x / zoom;
      event.y = e.motion.y / zoom;
      break;
    default:
      return;
  }
  target.HandleInput(event);
}

void SdlBackend::PumpEvents(Window& window, int timeoutMs) {
  SDL_Event e;
  int got = timeoutMs < 0 ? SDL_WaitEvent(&e) : SDL_WaitEventTimeout(&e, timeoutMs);
  while (got) {
    if (e.type != impl_->wakeEvent) impl_->Translate(e, window);
    got = SDL_PollEvent(&e);
  }
}

void SdlBackend::Wake() {
  SDL_Event e{};
  e.type = impl_->wakeEvent;
  SDL_PushEvent(&e);
}

void SdlBackend::Present(const Surface& screen) {
  if (screen.GetSize() != impl_->screen || screen.Format() != PixelFormat::kXrgb32) return;
  SDL_UpdateTexture(impl_->texture.get(), nullptr, screen.Bits(), static_cast<int>(screen.Stride()));
  SDL_RenderClear(impl_->renderer.get());
  SDL_RenderCopy(impl_->renderer.get(), impl_->texture.get(), nullptr, nullptr);
  SDL_RenderPresent(impl_->renderer.get());
}

void SdlBackend::ScreenResized(Size screen) {
  impl_->screen = screen;
  SDL_SetWindowSize(impl_->window.get(), screen.width * impl_->zoom, screen.height * impl_->zoom);
  impl_->MakeTexture();
}

MessageBoxResult SdlBackend::ShowMessageBox(const std::string& caption, const std::string& text,
                                            MessageBoxButtons buttons) {
  const SDL_MessageBoxButtonData ok[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT,
       static_cast<int>(MessageBoxResult::kOk), "OK"}};
  const SDL_MessageBoxButtonData yesNo[] = {
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, static_cast<int>(MessageBoxResult::kNo), "No"},
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, static_cast<int>(MessageBoxResult::kYes), "Yes"}};
  const bool isOk = buttons == MessageBoxButtons::kOk;
  SDL_MessageBoxData data{};
  data.flags = SDL_MESSAGEBOX_INFORMATION;
  data.window = impl_->window.get();
  data.title = caption.c_str();
  data.message = text.c_str();
  data.numbuttons = isOk ? 1 : 2;
  data.buttons = isOk ? ok : yesNo;
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) != 0 || pressed < 0) {
    return isOk ? MessageBoxResult::kOk : MessageBoxResult::kNo;
  }
  return static_cast<MessageBoxResult>(pressed);
}

void SdlBackend::SetWaitCursor(bool shown) {
  SDL_Cursor* cursor = shown ? impl_->waitCursor.get() : impl_->arrowCursor.get();
  if (cursor) SDL_SetCursor(cursor);
}

void SdlBackend::KeepSystemAwake(bool on) {
  // SDL inhibits through the desktop's screensaver service where there is one (D-Bus), and
  // through the X server's screensaver otherwise.
  if (on) SDL_DisableScreenSaver();
  else SDL_EnableScreenSaver();
}

void SdlBackend::Raise() {
  SDL_RestoreWindow(impl_->window.get());
  SDL_ShowWindow(impl_->window.get());
  SDL_RaiseWindow(impl_->window.get());
}

}  // namespace platform
