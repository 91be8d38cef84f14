#include "platform/headless/HeadlessBackend.h"

#include <chrono>
#include <cstdio>

namespace platform {

HeadlessBackend::HeadlessBackend(Logger logger) : logger_(std::move(logger)) {}

void HeadlessBackend::Log(const std::string& line) const {
  if (logger_) {
    logger_(line);
  } else {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
}

void HeadlessBackend::PumpEvents(Window&, int timeoutMs) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (timeoutMs < 0) {
    wakeup_.wait(lock, [this] { return woken_; });
  } else if (timeoutMs > 0) {
    wakeup_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [this] { return woken_; });
  }
  woken_ = false;
}

void HeadlessBackend::Wake() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    woken_ = true;
  }
  wakeup_.notify_one();
}

void HeadlessBackend::Present(const Surface&) { ++presentCount_; }

void HeadlessBackend::ScreenResized(Size) {}

MessageBoxResult HeadlessBackend::ShowMessageBox(const std::string& caption, const std::string& text,
                                                 MessageBoxButtons buttons) {
  Log("MessageBox: " + caption + ": " + text);
  MessageBoxResult answer = buttons == MessageBoxButtons::kOk ? MessageBoxResult::kOk : MessageBoxResult::kNo;
  if (!answers_.empty()) {
    MessageBoxResult scripted = answers_.front();
    answers_.pop_front();
    bool fits = buttons == MessageBoxButtons::kOk ? scripted == MessageBoxResult::kOk
                                                  : scripted != MessageBoxResult::kOk;
    if (fits) answer = scripted;
  }
  return answer;
}

}  // namespace platform
