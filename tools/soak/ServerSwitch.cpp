#include "tools/soak/ServerSwitch.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>

#include <chrono>
#include <map>
#include <thread>
#include <vector>

#include "platform/UniqueFd.h"

namespace soak {
namespace {

sockaddr_in Loopback(std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return address;
}

// A port that is free now (the kernel's choice for a bind to port 0).
std::uint16_t FreePort() {
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (!fd || ::bind(fd.Get(), reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::getsockname(fd.Get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return 0;
  }
  return ntohs(address.sin_port);
}

bool Accepts(std::uint16_t port) {
  platform::UniqueFd fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  const sockaddr_in address = Loopback(port);
  return fd && ::connect(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
}

}  // namespace

ServerSwitch::ServerSwitch(std::string program, std::filesystem::path library, std::filesystem::path work)
    : program_(std::move(program)), library_(std::move(library)), work_(std::move(work)), port_(FreePort()) {}

ServerSwitch::~ServerSwitch() { Down(); }

bool ServerSwitch::Up(std::string& error) {
  if (running_) return true;
  if (port_ == 0) {
    error = "no free port for the server";
    return false;
  }
  ++starts_;
  running_ = std::make_unique<platform::ChildProcess>(
      program_,
      std::vector<std::string>{"--library", library_.string(), "--port", std::to_string(port_), "--db",
                               (work_ / "server.sqlite").string()},
      std::map<std::string, std::string>{}, work_, work_ / ("server-" + std::to_string(starts_) + ".out"));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartLimitMs);
  while (!Accepts(port_)) {
    if (!running_->Started() || running_->Poll() || std::chrono::steady_clock::now() >= deadline) {
      error = "the server did not start on port " + std::to_string(port_) +
              (running_->Ended() ? " (" + running_->Describe() + ")" : "");
      running_.reset();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

void ServerSwitch::Down() {
  if (!running_) return;
  running_->Kill(SIGKILL);
  running_->Wait();
  running_.reset();
  ++outages_;
}

}  // namespace soak
