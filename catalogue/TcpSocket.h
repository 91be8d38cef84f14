#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <sys/uio.h>

#include "platform/UniqueFd.h"

namespace catalogue {

// Move-only owner of a non-blocking IPv4 TCP socket; shuts it down both ways and closes it on
// Close or destruction. Waits are single poll calls of a given length, retried on EINTR.
class TcpSocket {
 public:
  enum class WaitResult { kReady, kTimeout, kError };

  TcpSocket() = default;
  TcpSocket(TcpSocket&& other) noexcept = default;
  TcpSocket& operator=(TcpSocket&& other) noexcept;
  TcpSocket(const TcpSocket&) = delete;
  TcpSocket& operator=(const TcpSocket&) = delete;
  ~TcpSocket() { Close(); }

  // Resolves `host` (a dotted number or a name, IPv4), creates a non-blocking socket and starts
  // connecting to `port`. False when the lookup, the socket or the connect call fails.
  bool BeginConnect(const std::string& host, int port);
  // One wait for the connection: kReady once connected, kError when it failed.
  WaitResult WaitConnected(std::int64_t micros);
  WaitResult WaitReadable(std::int64_t micros);
  WaitResult WaitWritable(std::int64_t micros);
  // recv/send without SIGPIPE; results as the system calls' (-1 with errno on error).
  ssize_t Receive(void* buffer, std::size_t length);
  ssize_t Send(const void* bytes, std::size_t length);
  // One receive scattered over `count` buffers.
  ssize_t ReceiveVector(const struct iovec* buffers, int count);

  bool IsOpen() const { return fd_.IsValid(); }
  void Close();

 private:
  WaitResult Wait(short events, std::int64_t micros);

  platform::UniqueFd fd_;
};

}  // namespace catalogue
