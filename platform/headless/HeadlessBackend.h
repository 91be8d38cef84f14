#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <string>

#include "platform/window/Backend.h"

namespace platform {

// A backend without a display: the screen exists only in memory, message boxes are logged as
// "MessageBox: <caption>: <text>" and answered from a list of scripted answers (OK for an OK
// box, No for a Yes/No box when the list is empty or its answer does not fit the box), and
// the wait cursor is a flag; raising the window is logged.
class HeadlessBackend : public Backend {
 public:
  using Logger = std::function<void(const std::string&)>;

  // The logger receives every log line; the default writes them to standard output.
  explicit HeadlessBackend(Logger logger = nullptr);

  void PumpEvents(Window& window, int timeoutMs) override;
  void Wake() override;
  void Present(const Surface& screen) override;
  void ScreenResized(Size screen) override;
  MessageBoxResult ShowMessageBox(const std::string& caption, const std::string& text,
                                  MessageBoxButtons buttons) override;
  void SetWaitCursor(bool shown) override { waitCursor_ = shown; }
  // Logged as "Window raised".
  void Raise() override { Log("Window raised"); }

  void QueueAnswer(MessageBoxResult answer) { answers_.push_back(answer); }
  bool IsWaitCursorShown() const { return waitCursor_; }
  int PresentCount() const { return presentCount_; }
  void Log(const std::string& line) const;

 private:
  Logger logger_;
  // Guards woken_.
  std::mutex mutex_;
  std::condition_variable wakeup_;
  bool woken_ = false;
  std::deque<MessageBoxResult> answers_;
  bool waitCursor_ = false;
  int presentCount_ = 0;
};

}  // namespace platform
