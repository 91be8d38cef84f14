#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/gfx/Canvas.h"
#include "platform/gfx/Surface.h"
#include "platform/window/Backend.h"
#include "platform/window/EditField.h"
#include "platform/window/InputEvent.h"
#include "platform/window/MessageQueue.h"
#include "platform/window/Messages.h"
#include "platform/window/ShellChrome.h"
#include "platform/window/TimerSet.h"

namespace platform {

// The application's one window on the emulated phone screen, and its message loop. The
// screen holds the title bar, the window's client area and the soft-key bar; the application
// draws into the client area through GetDC and receives messages through its procedure.
// Post and PostQuit may be called from any thread; everything else belongs to the thread that
// constructed the window (the UI thread).
class Window {
 public:
  Window(Backend& backend, Size screen, std::u16string title);
  ~Window();
  Window(const Window&) = delete;
  Window& operator=(const Window&) = delete;

  // Attaches the procedure and sends it, in order: create, show, activate and size; then
  // marks the whole client area for painting. False when a window already exists.
  bool Create(WindowProcedure& procedure);
  // Sends destroy to the procedure, then detaches it; later messages are dropped.
  void Destroy();
  bool IsCreated() const { return procedure_ != nullptr; }

  // Queues a message for the procedure. Any thread.
  void Post(std::uint32_t id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
  // Calls the procedure now and returns its result (0 without a window).
  std::intptr_t Send(std::uint32_t id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
  // What a message not handled by the procedure gets: close destroys the window; the rest
  // return 0.
  std::intptr_t DefaultProcedure(const Message& message);
  // Ends the message loop with the code once the current message is done. Any thread.
  void PostQuit(int code);
  bool IsQuitting() const { return quitting_.load(); }
  int ExitCode() const { return exitCode_.load(); }

  // Runs the message loop until PostQuit; returns the exit code.
  int Run();
  // One pass of the loop without waiting: queued messages and input, the paint, due timers,
  // then the screen is presented. Returns whether anything was dispatched.
  bool ProcessPending();
  // Passes until nothing is left to do now (timers not yet due are left waiting).
  void RunUntilIdle();
  // Runs the loop, waiting for events, for the given time or until quit.
  void RunFor(std::chrono::milliseconds duration);
  // Runs the loop until done() holds (checked after every pass), quit, or the time-out.
  bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);
  // A modal wait while the UI thread waits for work done elsewhere (a catalogue request), as
  // a message box's own loop: until done() holds, the desktop's events are taken in and the
  // screen is presented again every kModalPresentStep, but nothing is dispatched; input and
  // messages stay queued for the loop. Returns true once done() holds, false at once when a
  // close request is queued (the window's close, Ctrl+Q, the Exit command) or the loop is
  // quitting; the close request stays queued for the loop to answer. Wake ends a step early.
  static constexpr std::chrono::milliseconds kModalPresentStep{100};
  bool WaitModal(const std::function<bool()>& done);
  // Ends the current wait for events (of the loop or of WaitModal) early. Any thread.
  void Wake() { backend_.Wake(); }
  // Called with each message as it is dispatched to the procedure.
  void SetMessageObserver(std::function<void(const Message&)> observer) {
    observer_ = std::move(observer);
  }

  // Timers: the procedure receives wm::kTimer with the id every period.
  void SetTimer(std::uint32_t id, std::uint32_t periodMs);
  void KillTimer(std::uint32_t id);

  // Marks the client area for painting (erase: fill it white first). The paint message
  // comes when no other message waits.
  void Invalidate(bool erase);
  // Paints now when the client area is marked.
  void Update();
  // A canvas over the client area. Valid until the screen is rotated.
  Canvas GetDC();
  // A canvas over the whole screen above everything else, shown from its first use until
  // the window's first paint (the splash picture).
  Canvas GetScreenDC();
  Size ClientSize() const;
  Size ScreenSize() const { return chrome_.Screen(); }
  // Where the client area lies on the screen.
  Rect ClientArea() const { return chrome_.ClientArea(); }

  void SetTitle(std::u16string title) { chrome_.SetTitle(std::move(title)); }
  // Takes the application's soft-key bars and accelerators (before Create).
  void SetResources(ShellResources resources);
  // Installs the soft-key bar resource; false (and no bar) when it does not exist.
  bool SetMenuBar(int resourceId) { return chrome_.SetMenuBar(resourceId); }
  void DestroyMenuBar() { chrome_.ClearMenuBar(); }
  int MenuBarId() const { return chrome_.MenuBarId(); }
  ShellChrome& Chrome() { return chrome_; }

  MessageBoxResult ShowMessageBox(const std::u16string& caption, const std::u16string& text,
                                  MessageBoxButtons buttons);
  void SetWaitCursor(bool shown);
  bool IsWaitCursorShown() const { return waitCursor_; }
  // Brings the window to the front of the desktop at the next pass of the loop. Any thread.
  void RequestRaise();

  // While on, the desktop's screensaver and idle sleep stay off (the phone's idle timer reset,
  // which keeps the device from suspending while music plays). Each change of state is one
  // debug line; repeating the current state does nothing.
  void KeepSystemAwake(bool on);
  bool IsKeepingSystemAwake() const { return keepAwake_; }

  // A new edit field over the client area, hidden, owned by the window.
  EditField& CreateEditField();
  // Gives the keyboard focus to a field of this window, or to the window itself (null).
  void SetFocus(EditField* field) { focus_ = field; }
  EditField* Focus() const { return focus_; }

  // Swaps the screen's sides like a rotating phone: the client area gets the new size, a
  // size message and a full repaint.
  void Rotate();
  // Queues input from the backend (screen coordinates).
  void HandleInput(const InputEvent& event);
  // The composed screen: bars, client area, edit fields, menu.
  const Surface& ComposeScreen();
  void Present();
  bool SaveScreenshot(const std::string& path, std::string& error);
  // The screen as text: the procedure's lines (none without a window).
  std::vector<std::string> DescribeScreen() const;
  // Writes DescribeScreen to a file, one line each; false with a reason when it cannot.
  bool SaveScreenText(const std::string& path, std::string& error) const;
  // Where F12 writes its screenshots and F11 the screen as text (default: the working
  // directory).
  void SetScreenshotDirectory(std::string directory) { screenshotDirectory_ = std::move(directory); }

 private:
  void Dispatch(const Message& message);
  void DispatchInput(const InputEvent& event);
  void DispatchKeyDown(const InputEvent& event);
  void DispatchStylus(const InputEvent& event);
  void Paint();
  void PostCommand(std::uint32_t command) { Post(wm::kCommand, command, 0); }
  bool IsUiThread() const { return std::this_thread::get_id() == uiThread_; }
  bool CloseRequested() const;

  Backend& backend_;
  const std::thread::id uiThread_;
  MessageQueue queue_;
  TimerSet timers_;
  ShellChrome chrome_;
  std::vector<Accelerator> accelerators_;
  std::uint32_t exitCommand_ = 0;  // ShellResources::exitCommand
  Surface client_;
  Surface screen_;
  Surface splash_;
  bool splashShown_ = false;
  WindowProcedure* procedure_ = nullptr;
  std::function<void(const Message&)> observer_;
  std::vector<std::unique_ptr<EditField>> editFields_;
  EditField* focus_ = nullptr;
  EditField* stylusField_ = nullptr;  // the field that took the last stylus down
  bool stylusInClient_ = false;       // the last stylus down went to the procedure
  bool invalid_ = false;
  bool erase_ = false;
  bool waitCursor_ = false;
  bool keepAwake_ = false;
  std::atomic<bool> raiseRequested_{false};
  std::atomic<bool> quitting_{false};
  std::atomic<int> exitCode_{0};
  std::string screenshotDirectory_;
  int screenshotCount_ = 0;
};

}  // namespace platform
