#include "platform/audio/sdl2/SdlPcmSink.h"

#include <SDL.h>
#include <semaphore.h>

#include <cerrno>
#include <cstring>

#include "platform/DebugLog.h"

namespace platform {

// A POSIX counting semaphore: `Post` is lock-free, so the audio callback may call it.
class SdlPcmSink::Semaphore {
 public:
  Semaphore() { sem_init(&sem_, 0, 0); }
  ~Semaphore() { sem_destroy(&sem_); }
  Semaphore(const Semaphore&) = delete;
  Semaphore& operator=(const Semaphore&) = delete;
  void Post() { sem_post(&sem_); }
  void Wait() {
    while (sem_wait(&sem_) != 0 && errno == EINTR) {
    }
  }

 private:
  sem_t sem_;
};

SdlPcmSink::SdlPcmSink() : doneReady_(std::make_unique<Semaphore>()) {
  sdlReady_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (!sdlReady_) DebugPrintf("SdlPcmSink: SDL audio unavailable: %s", SDL_GetError());
}

SdlPcmSink::~SdlPcmSink() {
  Close();
  if (sdlReady_) SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

uint32_t SdlPcmSink::DeviceCount() const {
  if (!sdlReady_) return 0;
  int count = SDL_GetNumAudioDevices(0);
  // -1 means the driver cannot list its devices, but a default device may still open.
  return count < 0 ? 1u : uint32_t(count);
}

PcmOpenResult SdlPcmSink::Open(const PcmFormat& format, DoneHandler done) {
  Close();
  if (!sdlReady_ || format.BlockAlign() == 0 || format.sampleRate == 0) {
    return PcmOpenResult::kError;
  }
  SDL_AudioSpec want{};
  want.freq = int(format.sampleRate);
  want.format = format.bitsPerSample == 8 ? AUDIO_U8 : AUDIO_S16LSB;
  want.channels = uint8_t(format.channels);
  want.samples = kCallbackFrames;
  want.callback = &SdlPcmSink::AudioCallback;
  want.userdata = this;
  SDL_AudioSpec have{};
  // No changes allowed: SDL converts our format to the device's.
  SDL_AudioDeviceID device = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
  if (device == 0) {
    DebugPrintf("SdlPcmSink: cannot open audio device: %s", SDL_GetError());
    return PcmOpenResult::kError;
  }
  device_ = device;
  format_ = format;
  silence_ = have.silence;
  done_ = std::move(done);
  position_.store(0);
  queueWrite_.store(0);
  queueRead_.store(0);
  headOffset_ = 0;
  pendingFrames_ = 0;
  pendingDoneWrite_ = 0;
  doneWrite_.store(0);
  doneRead_.store(0);
  {
    std::lock_guard<std::mutex> guard(deliveredMutex_);
    doneDelivered_ = 0;
  }
  quit_.store(false);
  driver_ = std::thread([this] { DriverLoop(); });
  SDL_PauseAudioDevice(device_, 0);
  return PcmOpenResult::kOk;
}

void SdlPcmSink::Close() {
  if (device_ == 0) return;
  Reset();
  SDL_CloseAudioDevice(device_);
  device_ = 0;
  quit_.store(true);
  doneReady_->Post();
  driver_.join();
}

bool SdlPcmSink::Write(const uint8_t* data, uint32_t bytes, void* tag) {
  if (device_ == 0) return false;
  uint64_t write = queueWrite_.load(std::memory_order_relaxed);
  // Outstanding = queued plus finished but not yet delivered; bounded by both rings.
  if (write - doneRead_.load(std::memory_order_acquire) >= kMaxQueued) return false;
  queue_[write % kMaxQueued] = Entry{data, bytes, tag};
  queueWrite_.store(write + 1, std::memory_order_release);
  return true;
}

void SdlPcmSink::Pause() {
  if (device_ != 0) SDL_PauseAudioDevice(device_, 1);
}

void SdlPcmSink::Restart() {
  if (device_ != 0) SDL_PauseAudioDevice(device_, 0);
}

void SdlPcmSink::Reset() {
  if (device_ == 0) return;
  SDL_LockAudioDevice(device_);
  uint64_t read = queueRead_.load(std::memory_order_relaxed);
  uint64_t write = queueWrite_.load(std::memory_order_acquire);
  // The buffers the last callback finished are reported with the flushed ones.
  uint64_t doneWrite = pendingDoneWrite_;
  for (; read < write; ++read, ++doneWrite) doneRing_[doneWrite % kMaxQueued] = queue_[read % kMaxQueued].tag;
  uint64_t flushed = doneWrite - doneWrite_.load(std::memory_order_relaxed);
  doneWrite_.store(doneWrite, std::memory_order_release);
  queueRead_.store(read, std::memory_order_release);
  headOffset_ = 0;
  pendingFrames_ = 0;
  pendingDoneWrite_ = doneWrite;
  position_.store(0, std::memory_order_release);
  SDL_UnlockAudioDevice(device_);
  for (uint64_t i = 0; i < flushed; ++i) doneReady_->Post();
  std::unique_lock<std::mutex> lock(deliveredMutex_);
  deliveredChanged_.wait(lock, [&] { return doneDelivered_ >= doneWrite; });
}

void SdlPcmSink::AudioCallback(void* self, uint8_t* stream, int length) {
  static_cast<SdlPcmSink*>(self)->Fill(stream, uint32_t(length));
}

void SdlPcmSink::Fill(uint8_t* stream, uint32_t length) {
  // SDL asks again once the device has consumed the previous callback's samples: count them
  // now and report the buffers that ended in them.
  if (pendingFrames_ != 0) position_.fetch_add(pendingFrames_, std::memory_order_acq_rel);
  pendingFrames_ = 0;
  const uint64_t published = doneWrite_.load(std::memory_order_relaxed);
  if (pendingDoneWrite_ != published) {
    doneWrite_.store(pendingDoneWrite_, std::memory_order_release);
    for (uint64_t i = published; i < pendingDoneWrite_; ++i) doneReady_->Post();
  }

  uint64_t read = queueRead_.load(std::memory_order_relaxed);
  const uint32_t blockAlign = format_.BlockAlign();
  while (length > 0) {
    if (read == queueWrite_.load(std::memory_order_acquire)) {
      std::memset(stream, silence_, length);
      break;
    }
    const Entry& entry = queue_[read % kMaxQueued];
    uint32_t take = std::min(entry.bytes - headOffset_, length);
    std::memcpy(stream, entry.data + headOffset_, take);
    stream += take;
    length -= take;
    headOffset_ += take;
    pendingFrames_ += take / blockAlign;
    if (headOffset_ == entry.bytes) {
      doneRing_[pendingDoneWrite_ % kMaxQueued] = entry.tag;
      ++pendingDoneWrite_;
      headOffset_ = 0;
      ++read;
      queueRead_.store(read, std::memory_order_release);
    }
  }
}

void SdlPcmSink::DriverLoop() {
  for (;;) {
    doneReady_->Wait();
    uint64_t read = doneRead_.load(std::memory_order_relaxed);
    if (read == doneWrite_.load(std::memory_order_acquire)) {
      if (quit_.load()) return;
      continue;
    }
    void* tag = doneRing_[read % kMaxQueued];
    doneRead_.store(read + 1, std::memory_order_release);
    done_(tag);
    {
      std::lock_guard<std::mutex> guard(deliveredMutex_);
      doneDelivered_ = read + 1;
    }
    deliveredChanged_.notify_all();
  }
}

}  // namespace platform
