#include "platform/window/MessageQueue.h"

namespace platform {

void MessageQueue::Push(Item item) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    items_.push_back(std::move(item));
  }
  if (wake_) wake_();
}

std::optional<MessageQueue::Item> MessageQueue::TryPop() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (items_.empty()) return std::nullopt;
  Item item = std::move(items_.front());
  items_.pop_front();
  return item;
}

bool MessageQueue::IsEmpty() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return items_.empty();
}

bool MessageQueue::Contains(const std::function<bool(const Item&)>& match) const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Item& item : items_) {
    if (match(item)) return true;
  }
  return false;
}

void MessageQueue::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  items_.clear();
}

}  // namespace platform
