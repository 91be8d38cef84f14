#include "core/WaitCursor.h"

#include <mutex>

namespace core {

namespace {

// The one wait-cursor record of the process.
struct WaitCursorState {
  // Guards every field below.
  std::mutex lock;
  bool shown = false;
  WaitCursorHost* host = nullptr;
};

WaitCursorState& State() {
  static WaitCursorState state;
  return state;
}

}  // namespace

void BeginWaitCursor() {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (state.shown) return;
  if (state.host) state.host->ShowWaitCursor();
  state.shown = true;
}

void EndWaitCursor() {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  if (!state.shown) return;
  if (state.host) state.host->RestoreCursor();
  state.shown = false;
}

bool IsWaitCursorShown() {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  return state.shown;
}

WaitCursorHost* SetWaitCursorHost(WaitCursorHost* host) {
  auto& state = State();
  std::lock_guard<std::mutex> guard(state.lock);
  WaitCursorHost* previous = state.host;
  state.host = host;
  return previous;
}

}  // namespace core
