#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "platform/ChildProcess.h"

namespace soak {

// Changes the phone's active call count from outside the client, as a terminal would:
// `vornalo --set-call-count N`. Each change starts after the previous one ended, so the
// store's value is always the last one set.
class CallSetter {
 public:
  CallSetter(std::string program, std::filesystem::path configDirectory, std::filesystem::path work);

  void Set(std::uint32_t count);
  // Waits for the last change; its fault, if any.
  std::string Finish();
  std::optional<std::uint32_t> Last() const { return last_; }

 private:
  std::string program_;
  std::filesystem::path configDirectory_;
  std::filesystem::path work_;
  std::unique_ptr<platform::ChildProcess> running_;
  std::optional<std::uint32_t> last_;
};

}  // namespace soak
