#pragma once

#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <variant>

#include "platform/window/InputEvent.h"
#include "platform/window/Messages.h"

namespace platform {

// The window's queue: posted messages and input events, in arrival order. Push is safe from
// any thread and calls the wake function (outside the lock) so that a waiting loop returns.
class MessageQueue {
 public:
  using Item = std::variant<Message, InputEvent>;

  explicit MessageQueue(std::function<void()> wake) : wake_(std::move(wake)) {}

  void Push(Item item);
  std::optional<Item> TryPop();
  bool IsEmpty() const;
  // Whether any queued item satisfies `match` (called under the lock; it must not reenter).
  bool Contains(const std::function<bool(const Item&)>& match) const;
  void Clear();

 private:
  std::function<void()> wake_;
  // Guards items_.
  mutable std::mutex mutex_;
  std::deque<Item> items_;
};

}  // namespace platform
