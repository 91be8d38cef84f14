#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "platform/RegistryStore.h"
#include "platform/UniqueFd.h"

namespace platform {

// Watches one 32-bit value of a settings store for changes made by any process (inotify on
// the store's folder: every write replaces the store's file). Each time the value differs
// from the one last seen, the callback receives the new value on the watch's own thread; a
// missing value, or one that is not a number, reads as 0. The callback must not block long
// (it posts a message). Closing the watch (the destructor) joins its thread; no callback runs
// after it returns.
class RegistryWatch {
 public:
  using Callback = std::function<void(std::uint32_t value)>;

  // Null, with a debug line, when the store's folder cannot be watched. The folder is made
  // when it does not exist yet.
  static std::unique_ptr<RegistryWatch> Open(const RegistryStore& store, std::string key, std::string name,
                                             Callback onChange);
  ~RegistryWatch();
  RegistryWatch(const RegistryWatch&) = delete;
  RegistryWatch& operator=(const RegistryWatch&) = delete;

 private:
  RegistryWatch(const RegistryStore& store, std::string key, std::string name, Callback onChange);
  std::uint32_t ReadValue() const;
  void Run();
  // Drains the inotify queue; true when one of the events names the store's file.
  bool StoreFileChanged();

  RegistryStore store_;
  const std::string key_;
  const std::string name_;
  const Callback onChange_;
  UniqueFd inotify_;
  UniqueFd wake_;  // eventfd: the destructor asks the thread to end
  // The value last seen: set before the thread starts, then the thread's alone.
  std::uint32_t last_ = 0;
  std::thread thread_;
};

}  // namespace platform
