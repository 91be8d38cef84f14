#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

#include "platform/ChildProcess.h"

namespace soak {

// A `vornalo-server` over a music folder that the soak stops and starts again on the same
// port, as a network that comes and goes looks to the client: while it is down, every
// connection is refused.
class ServerSwitch {
 public:
  // How long a start may take before the server answers.
  static constexpr int kStartLimitMs = 30000;

  ServerSwitch(std::string program, std::filesystem::path library, std::filesystem::path work);
  ~ServerSwitch();
  ServerSwitch(const ServerSwitch&) = delete;
  ServerSwitch& operator=(const ServerSwitch&) = delete;

  // Starts the server (nothing when it runs) and waits until its port accepts; false with
  // the reason in `error`.
  bool Up(std::string& error);
  // Kills the server (nothing when it is down).
  void Down();
  bool IsUp() const { return running_ != nullptr; }
  std::string BaseUrl() const { return "http://127.0.0.1:" + std::to_string(port_); }
  std::size_t Outages() const { return outages_; }

 private:
  std::string program_;
  std::filesystem::path library_;
  std::filesystem::path work_;
  std::uint16_t port_ = 0;
  std::unique_ptr<platform::ChildProcess> running_;
  std::size_t outages_ = 0;
  std::size_t starts_ = 0;
};

}  // namespace soak
