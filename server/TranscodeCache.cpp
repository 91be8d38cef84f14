#include "server/TranscodeCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <system_error>
#include <utility>

#include "platform/DebugLog.h"
#include "server/RangedReply.h"
#include "server/Transcoder.h"

namespace server {
namespace {

namespace fs = std::filesystem;

constexpr const char* kFinished = ".mp3";
constexpr const char* kUnfinished = ".part";
constexpr size_t kKeyDigits = 16;
// A source whose audio ends this much before its header's length is reported (damaged or cut).
constexpr int64_t kShortfallReported = Mp3Layout::kSampleRate;

// What identifies one transcode: the file as it is now, and the bit rate it is made at.
std::string KeyOf(const std::string& name, const struct stat& info, int bitrateKbps) {
  uint64_t hash = 14695981039346656037ull;
  auto mix = [&hash](const std::string& text) {
    for (const unsigned char c : text) {
      hash ^= c;
      hash *= 1099511628211ull;
    }
    hash ^= 0xFF;
    hash *= 1099511628211ull;
  };
  mix(name);
  mix(std::to_string(info.st_size));
  mix(std::to_string(info.st_mtim.tv_sec) + "." + std::to_string(info.st_mtim.tv_nsec));
  mix(std::to_string(bitrateKbps));
  char text[kKeyDigits + 1];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

// The reply to a request that came while the source's header was still being read.
class TranscodeReply final : public PendingReply {
 public:
  TranscodeReply(std::shared_ptr<TranscodeJob> job, std::string range)
      : job_(std::move(job)), range_(std::move(range)) {}

  bool Take(HttpReply& reply, const Wake& wake) override {
    int64_t total = 0;
    if (!job_->Size(total, wake)) return false;
    reply = total < 0 ? HttpReply::Text(500, "cannot transcode this file\n") : RangedReply::Stream(job_, total, range_);
    return true;
  }

 private:
  std::shared_ptr<TranscodeJob> job_;
  std::string range_;
};

}  // namespace

TranscodeCache::~TranscodeCache() { Stop(); }

fs::path TranscodeCache::FileOf(const std::string& key) const { return settings_.folder / (key + kFinished); }

void TranscodeCache::Report(const std::string& line) const {
  if (settings_.log) {
    settings_.log(line);
  } else {
    platform::DebugPrintf("server: %s\n", line.c_str());
  }
}

bool TranscodeCache::Start(const Settings& settings, std::string& error) {
  Stop();
  settings_ = settings;
  std::error_code failure;
  fs::create_directories(settings_.folder, failure);
  if (!fs::is_directory(settings_.folder, failure)) {
    error = "cannot make the transcode folder " + settings_.folder.string();
    return false;
  }
  // What an earlier run left: finished files by their last use (their modification time),
  // unfinished ones deleted.
  std::vector<std::pair<fs::file_time_type, std::pair<std::string, int64_t>>> found;
  for (fs::directory_iterator it(settings_.folder, failure), end; !failure && it != end; it.increment(failure)) {
    const fs::path& path = it->path();
    const std::string stem = path.stem().string();
    std::error_code ignored;
    if (path.extension() == kUnfinished) {
      fs::remove(path, ignored);
    } else if (path.extension() == kFinished && stem.size() == kKeyDigits && it->is_regular_file(ignored)) {
      found.push_back({it->last_write_time(ignored), {stem, static_cast<int64_t>(it->file_size(ignored))}});
    }
  }
  std::sort(found.begin(), found.end());
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = false;
    stats_ = Stats{};
    for (const auto& [time, file] : found) {
      lru_.push_back(file.first);
      entries_[file.first] = Entry{file.second, std::prev(lru_.end())};
      stats_.bytes += file.second;
    }
    stats_.files = static_cast<int64_t>(entries_.size());
    EvictLocked("");
    stats_.evicted = 0;
  }
  try {
    for (unsigned i = 0; i < std::max(1u, settings_.workers); ++i) workers_.emplace_back([this] { Work(); });
  } catch (const std::system_error&) {
    error = "cannot start the transcode threads";
    Stop();
    return false;
  }
  return true;
}

void TranscodeCache::Stop() {
  std::deque<std::shared_ptr<TranscodeJob>> unstarted;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
    for (auto& [key, job] : jobs_) job->Cancel();
    unstarted.swap(queue_);
  }
  queued_.notify_all();
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
  for (const auto& job : unstarted) job->Finish(false);
  std::lock_guard<std::mutex> lock(mutex_);
  jobs_.clear();
  entries_.clear();
  lru_.clear();
}

HttpReply TranscodeCache::Serve(const fs::path& source, const std::string& name, const std::string& rangeHeader) {
  struct stat info {};
  if (::stat(source.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return HttpReply::Text(404, "not found\n");
  const std::string key = KeyOf(name, info, settings_.bitrateKbps);
  std::shared_ptr<TranscodeJob> job;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return HttpReply::Text(503, "stopping\n");
    if (failures_.count(key)) return HttpReply::Text(500, "cannot transcode this file\n");
    if (const auto running = jobs_.find(key); running != jobs_.end()) {
      ++stats_.shared;
      job = running->second;
    } else if (const auto done = entries_.find(key); done != entries_.end()) {
      platform::UniqueFd file(::open(FileOf(key).c_str(), O_RDONLY | O_CLOEXEC));
      if (file) {
        // Its modification time is its last use, for the order after a restart.
        ::futimens(file.Get(), nullptr);
        lru_.splice(lru_.end(), lru_, done->second.use);
        ++stats_.hits;
        return RangedReply::File(std::move(file), done->second.bytes, rangeHeader);
      }
      stats_.bytes -= done->second.bytes;
      lru_.erase(done->second.use);
      entries_.erase(done);
      stats_.files = static_cast<int64_t>(entries_.size());
    }
    if (!job) {
      job = std::make_shared<TranscodeJob>(key, name, source, settings_.folder / (key + kUnfinished));
      jobs_[key] = job;
      queue_.push_back(job);
      ++stats_.transcodes;
    }
  }
  queued_.notify_one();
  HttpReply reply;
  reply.pending = std::make_shared<TranscodeReply>(job, rangeHeader);
  return reply;
}

void TranscodeCache::Work() {
  for (;;) {
    std::shared_ptr<TranscodeJob> job;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      job = queue_.front();
      queue_.pop_front();
    }
    Transcoder transcoder;
    std::string error;
    if (!transcoder.Open(job->Source().string(), settings_.bitrateKbps, error)) {
      Completed(job, false, error);
      continue;
    }
    platform::UniqueFd file(::open(job->PartFile().c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    if (!file) {
      Completed(job, false, "cannot write " + job->PartFile().string(), false);
      continue;
    }
    job->Begin(std::move(file), transcoder.Layout().TotalBytes());
    bool written = true;
    const bool ok = transcoder.Run(
        [&job, &written](const char* data, size_t size) { return written = job->Append(data, size); },
        &job->Cancelled(), error);
    if (ok && transcoder.Shortfall() > kShortfallReported) {
      Report(job->Name() + ": the audio ends " + std::to_string(transcoder.Shortfall() / Mp3Layout::kSampleRate) +
             " s before the length its header gives; made up with silence");
    }
    if (!written) error = "cannot write " + job->PartFile().string();
    Completed(job, ok, error, written);
  }
}

void TranscodeCache::Completed(const std::shared_ptr<TranscodeJob>& job, bool complete, const std::string& reason,
                               bool sourceFault) {
  std::error_code failure;
  std::string why = reason;
  if (complete) {
    fs::rename(job->PartFile(), FileOf(job->Key()), failure);
    if (failure) {
      complete = false;
      sourceFault = false;
      why = "cannot keep the transcode: " + failure.message();
    }
  }
  if (!complete) fs::remove(job->PartFile(), failure);
  const bool cancelled = job->Cancelled().load();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    jobs_.erase(job->Key());
    if (complete) {
      int64_t bytes = 0;
      job->Size(bytes, [] {});
      lru_.push_back(job->Key());
      entries_[job->Key()] = Entry{bytes, std::prev(lru_.end())};
      stats_.bytes += bytes;
      EvictLocked(job->Key());
      stats_.files = static_cast<int64_t>(entries_.size());
    } else if (!cancelled && sourceFault) {
      if (failures_.size() >= kMaxRememberedFailures) failures_.clear();
      failures_[job->Key()] = why;
      ++stats_.failed;
    }
  }
  // Logged before the listeners hear of it: whoever sees the error reply can find its line.
  if (!complete && !cancelled) Report("cannot transcode " + job->Name() + ": " + why);
  job->Finish(complete);
}

void TranscodeCache::EvictLocked(const std::string& keep) {
  // The newest goes last, and only when it alone is larger than the bound.
  for (auto it = lru_.begin(); stats_.bytes > settings_.maxBytes && it != lru_.end();) {
    if (*it == keep && std::next(it) != lru_.end()) {
      ++it;
      continue;
    }
    const auto entry = entries_.find(*it);
    std::error_code ignored;
    fs::remove(FileOf(*it), ignored);  // a reader still holding it open reads on
    stats_.bytes -= entry->second.bytes;
    entries_.erase(entry);
    it = lru_.erase(it);
    ++stats_.evicted;
  }
  stats_.files = static_cast<int64_t>(entries_.size());
}

TranscodeCache::Stats TranscodeCache::CurrentStats() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return stats_;
}

}  // namespace server
