#include "platform/window/Window.h"

#include <algorithm>
#include <cassert>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "platform/DebugLog.h"
#include "platform/TextCodec.h"
#include "platform/gfx/PngWriter.h"

namespace platform {
namespace {

constexpr std::uint32_t kWhitePixel = 0xFFFFFF;

}  // namespace

Window::Window(Backend& backend, Size screen, std::u16string title)
    : backend_(backend), uiThread_(std::this_thread::get_id()), queue_([&backend] { backend.Wake(); }) {
  chrome_.SetScreen(screen);
  chrome_.SetTitle(std::move(title));
  Size client = ClientSize();
  client_.Reset(client.width, client.height, PixelFormat::kXrgb32);
  client_.Fill(client_.Bounds(), kWhitePixel);
}

Window::~Window() = default;

bool Window::Create(WindowProcedure& procedure) {
  assert(IsUiThread());
  if (procedure_) return false;
  procedure_ = &procedure;
  Send(wm::kCreate);
  if (!procedure_) return true;  // destroyed during its own creation
  Send(wm::kShowWindow, 1, 0);
  Send(wm::kActivate, 1, 0);
  Size client = ClientSize();
  Send(wm::kSize, 0, MakeLParam(client.width, client.height));
  Invalidate(true);
  return true;
}

void Window::Destroy() {
  assert(IsUiThread());
  if (!procedure_) return;
  Send(wm::kDestroy);
  procedure_ = nullptr;
  timers_.Clear();
  chrome_.ClearMenuBar();
  for (auto& field : editFields_) field->Show(false);
  focus_ = nullptr;
}

void Window::Post(std::uint32_t id, std::uintptr_t wParam, std::intptr_t lParam) {
  queue_.Push(Message{id, wParam, lParam});
}

std::intptr_t Window::Send(std::uint32_t id, std::uintptr_t wParam, std::intptr_t lParam) {
  assert(IsUiThread());
  Message message{id, wParam, lParam};
  if (!procedure_) return 0;
  if (observer_) observer_(message);
  return procedure_->OnMessage(*this, message);
}

std::intptr_t Window::DefaultProcedure(const Message& message) {
  if (message.id == wm::kClose) Destroy();
  return 0;
}

void Window::KeepSystemAwake(bool on) {
  assert(IsUiThread());
  if (on == keepAwake_) return;
  keepAwake_ = on;
  backend_.KeepSystemAwake(on);
  DebugOutput(on ? "idle sleep: kept off while playing" : "idle sleep: allowed");
}

void Window::PostQuit(int code) {
  exitCode_.store(code);
  quitting_.store(true);
  backend_.Wake();
}

void Window::Dispatch(const Message& message) {
  if (!procedure_) return;
  if (observer_) observer_(message);
  procedure_->OnMessage(*this, message);
}

void Window::RequestRaise() {
  raiseRequested_.store(true);
  backend_.Wake();
}

bool Window::ProcessPending() {
  assert(IsUiThread());
  bool dispatched = false;
  if (raiseRequested_.exchange(false)) backend_.Raise();
  while (!quitting_.load()) {
    std::optional<MessageQueue::Item> item = queue_.TryPop();
    if (!item) break;
    dispatched = true;
    if (auto* message = std::get_if<Message>(&*item)) {
      Dispatch(*message);
    } else {
      DispatchInput(std::get<InputEvent>(*item));
    }
  }
  if (!quitting_.load() && invalid_ && procedure_) {
    Paint();
    dispatched = true;
  }
  if (!quitting_.load() && procedure_) {
    if (std::optional<std::uint32_t> id = timers_.TakeDue(TimerSet::Clock::now())) {
      Send(wm::kTimer, *id, 0);
      dispatched = true;
    }
  }
  if (dispatched) Present();
  return dispatched;
}

void Window::RunUntilIdle() {
  while (!quitting_.load() && ProcessPending()) {
  }
}

int Window::Run() {
  Present();
  while (!quitting_.load()) {
    ProcessPending();
    if (quitting_.load()) break;
    int timeout = -1;
    if (!queue_.IsEmpty() || (invalid_ && procedure_)) {
      timeout = 0;
    } else if (std::optional<int> next = timers_.MillisecondsUntilNext(TimerSet::Clock::now())) {
      timeout = *next;
    }
    backend_.PumpEvents(*this, timeout);
  }
  return exitCode_.load();
}

bool Window::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (true) {
    ProcessPending();
    if (done()) return true;
    if (quitting_.load()) return false;
    auto now = std::chrono::steady_clock::now();
    if (now >= deadline) return false;
    int wait = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count()) + 1;
    if (!queue_.IsEmpty() || (invalid_ && procedure_)) wait = 0;
    if (std::optional<int> next = timers_.MillisecondsUntilNext(now)) wait = std::min(wait, *next);
    backend_.PumpEvents(*this, wait);
  }
}

bool Window::CloseRequested() const {
  const auto isExit = [this](std::uint32_t command) { return exitCommand_ != 0 && command == exitCommand_; };
  return queue_.Contains([&](const MessageQueue::Item& item) {
    if (const auto* message = std::get_if<Message>(&item)) {
      return message->id == wm::kClose || (message->id == wm::kCommand && isExit(message->wParam & 0xFFFF));
    }
    const auto& event = std::get<InputEvent>(item);
    if (event.type == InputEvent::Type::kCloseRequest) return true;
    if (event.type != InputEvent::Type::kKeyDown || !event.ctrl) return false;
    return std::any_of(accelerators_.begin(), accelerators_.end(), [&](const Accelerator& accelerator) {
      return accelerator.key == event.key && isExit(accelerator.command);
    });
  });
}

bool Window::WaitModal(const std::function<bool()>& done) {
  assert(IsUiThread());
  auto nextPresent = std::chrono::steady_clock::now();
  while (!done()) {
    if (quitting_.load() || CloseRequested()) return false;
    const auto now = std::chrono::steady_clock::now();
    if (now >= nextPresent) {
      Present();
      nextPresent = now + kModalPresentStep;
    }
    const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextPresent - now).count();
    backend_.PumpEvents(*this, static_cast<int>(std::max<std::int64_t>(wait, 1)));
  }
  return true;
}

void Window::RunFor(std::chrono::milliseconds duration) {
  RunUntil([] { return false; }, duration);
}

void Window::SetTimer(std::uint32_t id, std::uint32_t periodMs) {
  assert(IsUiThread());
  timers_.Set(id, periodMs, TimerSet::Clock::now());
}

void Window::KillTimer(std::uint32_t id) {
  assert(IsUiThread());
  timers_.Kill(id);
}

void Window::Invalidate(bool erase) {
  invalid_ = true;
  erase_ = erase_ || erase;
}

void Window::Update() {
  if (invalid_ && procedure_) Paint();
}

void Window::Paint() {
  if (erase_) client_.Fill(client_.Bounds(), kWhitePixel);
  invalid_ = false;
  erase_ = false;
  Send(wm::kPaint);
  splashShown_ = false;
}

Canvas Window::GetDC() { return Canvas(client_); }

Canvas Window::GetScreenDC() {
  if (!splashShown_ || splash_.GetSize() != ScreenSize()) {
    // Drawing starts over what the screen shows now (the bars stay where nothing covers them).
    ComposeScreen();
    splash_.Reset(ScreenSize().width, ScreenSize().height, PixelFormat::kXrgb32);
    Canvas splash(splash_);
    splash.BitBlt(0, 0, splash_.GetSize().width, splash_.GetSize().height, Canvas(screen_), 0, 0);
    splashShown_ = true;
  }
  return Canvas(splash_);
}

Size Window::ClientSize() const {
  Rect area = chrome_.ClientArea();
  return Size{area.Width(), area.Height()};
}

MessageBoxResult Window::ShowMessageBox(const std::u16string& caption, const std::u16string& text,
                                        MessageBoxButtons buttons) {
  return backend_.ShowMessageBox(Utf16ToUtf8(caption), Utf16ToUtf8(text), buttons);
}

void Window::SetWaitCursor(bool shown) {
  if (waitCursor_ == shown) return;
  waitCursor_ = shown;
  backend_.SetWaitCursor(shown);
}

EditField& Window::CreateEditField() {
  editFields_.push_back(std::make_unique<EditField>(chrome_.Scale()));
  return *editFields_.back();
}

void Window::Rotate() {
  Size screen = ScreenSize();
  chrome_.SetScreen(Size{screen.height, screen.width});
  Size client = ClientSize();
  client_.Reset(client.width, client.height, PixelFormat::kXrgb32);
  client_.Fill(client_.Bounds(), kWhitePixel);
  splashShown_ = false;
  backend_.ScreenResized(ScreenSize());
  Post(wm::kSize, 0, MakeLParam(client.width, client.height));
  Invalidate(true);
}

const Surface& Window::ComposeScreen() {
  const Size size = ScreenSize();
  if (screen_.GetSize() != size) screen_.Reset(size.width, size.height, PixelFormat::kXrgb32);
  chrome_.DrawBars(screen_);
  Canvas screen(screen_);
  const Rect area = chrome_.ClientArea();
  Canvas client(client_);
  screen.BitBlt(area.left, area.top, area.Width(), area.Height(), client, 0, 0);
  Canvas clientOnScreen(screen_, area);
  for (auto& field : editFields_) field->Draw(clientOnScreen, field.get() == focus_);
  chrome_.DrawMenu(screen_);
  if (splashShown_) {
    Canvas splash(splash_);
    screen.BitBlt(0, 0, size.width, size.height, splash, 0, 0);
  }
  return screen_;
}

void Window::Present() { backend_.Present(ComposeScreen()); }

bool Window::SaveScreenshot(const std::string& path, std::string& error) {
  return WritePngFile(ComposeScreen(), path, error);
}

std::vector<std::string> Window::DescribeScreen() const {
  std::vector<std::string> lines;
  if (procedure_) procedure_->DescribeScreen(lines);
  return lines;
}

bool Window::SaveScreenText(const std::string& path, std::string& error) const {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const std::string& line : DescribeScreen()) out << line << '\n';
  out.flush();
  if (!out) {
    error = "cannot write " + path + ": " + std::strerror(errno);
    return false;
  }
  return true;
}

}  // namespace platform
