#include "server/ConnectionLatch.h"

#include <microhttpd.h>

namespace server {

bool ConnectionLatch::Park() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_ || parked_ || !connection_) return false;
  if (woken_) {
    woken_ = false;
    return false;  // the daemon calls again at once
  }
  MHD_suspend_connection(connection_);
  parked_ = true;
  return true;
}

void ConnectionLatch::Wake() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (closed_ || !connection_) return;
  if (parked_) {
    parked_ = false;
    MHD_resume_connection(connection_);
  } else {
    woken_ = true;
  }
}

void ConnectionLatch::Close(bool finished) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (parked_ && connection_) MHD_resume_connection(connection_);
  parked_ = false;
  closed_ = true;
  if (finished) connection_ = nullptr;
}

bool ConnectionLatch::IsClosed() {
  std::lock_guard<std::mutex> lock(mutex_);
  return closed_;
}

}  // namespace server
