#include "server/TranscodeJob.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace server {

TranscodeJob::TranscodeJob(std::string key, std::string name, std::filesystem::path source,
                           std::filesystem::path partFile)
    : key_(std::move(key)), name_(std::move(name)), source_(std::move(source)), partFile_(std::move(partFile)) {}

void TranscodeJob::WakeAll(std::vector<Wake> wakes) {
  for (const Wake& wake : wakes) wake();
}

void TranscodeJob::Begin(platform::UniqueFd file, int64_t totalBytes) {
  std::vector<Wake> wakes;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    file_ = std::move(file);
    total_ = totalBytes;
    phase_ = Phase::kRunning;
    wakes.swap(wakes_);
  }
  WakeAll(std::move(wakes));
}

bool TranscodeJob::Append(const char* data, size_t size) {
  int fd = -1;
  int64_t at = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    fd = file_.Get();
    at = made_;
  }
  // Only this thread writes, and past what readers may read: no lock needed for the write.
  for (size_t done = 0; done < size;) {
    const ssize_t wrote = ::pwrite(fd, data + done, size - done, static_cast<off_t>(at + done));
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    done += static_cast<size_t>(wrote);
  }
  std::vector<Wake> wakes;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    made_ += static_cast<int64_t>(size);
    wakes.swap(wakes_);
  }
  WakeAll(std::move(wakes));
  return true;
}

void TranscodeJob::Finish(bool complete) {
  std::vector<Wake> wakes;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    phase_ = complete && made_ == total_ ? Phase::kDone : Phase::kFailed;
    wakes.swap(wakes_);
  }
  WakeAll(std::move(wakes));
}

bool TranscodeJob::Size(int64_t& total, const Wake& wake) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (phase_ == Phase::kOpening) {
    wakes_.push_back(wake);
    return false;
  }
  total = total_;
  return true;
}

int64_t TranscodeJob::Read(int64_t offset, char* buffer, size_t size, const Wake& wake) {
  int fd = -1;
  int64_t available = 0;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (offset < made_) {
      fd = file_.Get();
      available = made_ - offset;
    } else if (phase_ == Phase::kFailed || phase_ == Phase::kDone) {
      return -1;  // nothing more will come
    } else {
      wakes_.push_back(wake);
      return 0;
    }
  }
  // The bytes below made_ never change again, and the descriptor lives as long as the job.
  const size_t want = static_cast<size_t>(std::min<int64_t>(available, static_cast<int64_t>(size)));
  for (;;) {
    const ssize_t got = ::pread(fd, buffer, want, static_cast<off_t>(offset));
    if (got < 0 && errno == EINTR) continue;
    return got > 0 ? got : -1;
  }
}

}  // namespace server
