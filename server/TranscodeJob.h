#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include "platform/UniqueFd.h"
#include "server/HttpExchange.h"

namespace server {

// One transcode under way, shared by every listener of it: the worker appends to a file in the
// cache folder, readers read what is there and are woken as it grows. The stream's size is
// known once the worker has read the source's header (Begin), before any audio is encoded.
class TranscodeJob final : public ReplyBody {
 public:
  TranscodeJob(std::string key, std::string name, std::filesystem::path source, std::filesystem::path partFile);

  const std::string& Key() const { return key_; }
  const std::string& Name() const { return name_; }  // the library-relative path, for logs
  const std::filesystem::path& Source() const { return source_; }
  const std::filesystem::path& PartFile() const { return partFile_; }

  // The worker's side, in this order: Begin once, Append any number of times, Finish once
  // (Finish alone when the source cannot be opened). file: open for writing and reading.
  void Begin(platform::UniqueFd file, int64_t totalBytes);
  bool Append(const char* data, size_t size);
  void Finish(bool complete);

  // Any thread. True once the size is known or the job failed before it was: total is the
  // size, or -1 for a failure. False (not yet) registers wake.
  bool Size(int64_t& total, const Wake& wake);
  int64_t Read(int64_t offset, char* buffer, size_t size, const Wake& wake) override;

  // Asks the worker to stop at its next step.
  void Cancel() { cancel_ = true; }
  const std::atomic<bool>& Cancelled() const { return cancel_; }

 private:
  enum class Phase { kOpening, kRunning, kDone, kFailed };
  // Runs and forgets the waiting wakes; called without mutex_ held.
  static void WakeAll(std::vector<Wake> wakes);

  const std::string key_;
  const std::string name_;
  const std::filesystem::path source_;
  const std::filesystem::path partFile_;
  std::atomic<bool> cancel_{false};

  std::mutex mutex_;  // guards everything below
  Phase phase_ = Phase::kOpening;
  platform::UniqueFd file_;  // written only by the worker, past made_; read with pread
  int64_t total_ = -1;
  int64_t made_ = 0;
  std::vector<Wake> wakes_;  // readers waiting for the size, more bytes or the end
};

}  // namespace server
