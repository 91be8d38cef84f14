#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/NullPcmSink.h"
#include "platform/WavPcmSink.h"
#include "platform/sdl2/audio/SdlPcmSink.h"
#include "tests/support/TempDir.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// Collects completion notices and the threads they came on.
class DoneRecorder {
 public:
  PcmSink::DoneHandler Handler() {
    return [this](void* tag) {
      std::lock_guard<std::mutex> guard(mutex_);
      tags_.push_back(tag);
      threads_.push_back(std::this_thread::get_id());
      changed_.notify_all();
    };
  }
  bool WaitFor(size_t count, std::chrono::milliseconds timeout = 5s) {
    std::unique_lock<std::mutex> lock(mutex_);
    return changed_.wait_for(lock, timeout, [&] { return tags_.size() >= count; });
  }
  std::vector<void*> Tags() {
    std::lock_guard<std::mutex> guard(mutex_);
    return tags_;
  }
  std::vector<std::thread::id> Threads() {
    std::lock_guard<std::mutex> guard(mutex_);
    return threads_;
  }

 private:
  // Guards the two lists.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<void*> tags_;
  std::vector<std::thread::id> threads_;
};

void* Tag(int i) { return reinterpret_cast<void*>(uintptr_t(i + 1)); }

const PcmFormat kStereo{2, 44100, 16};

// Every backend: buffers come back in order on a thread of the sink, the position counts
// the sample frames played, and a reset returns what is queued and starts again from 0.
void CheckOrderPauseAndReset(PcmSink& sink, const PcmFormat& format) {
  DoneRecorder done;
  ASSERT_EQ(sink.Open(format, done.Handler()), PcmOpenResult::kOk);
  std::vector<uint8_t> data(format.BlockAlign() * 256, 0);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(sink.Write(data.data(), uint32_t(data.size()), Tag(i)));
  ASSERT_TRUE(done.WaitFor(4));
  EXPECT_EQ(done.Tags(), (std::vector<void*>{Tag(0), Tag(1), Tag(2), Tag(3)}));
  for (auto id : done.Threads()) EXPECT_NE(id, std::this_thread::get_id());
  EXPECT_EQ(sink.Position(), 4u * 256);

  sink.Pause();
  for (int i = 4; i < 7; ++i) ASSERT_TRUE(sink.Write(data.data(), uint32_t(data.size()), Tag(i)));
  sink.Reset();
  // Every flushed buffer's notice has arrived by the time `Reset` returns.
  EXPECT_EQ(done.Tags().size(), 7u);
  EXPECT_EQ(sink.Position(), 0u);
  sink.Restart();
  ASSERT_TRUE(sink.Write(data.data(), uint32_t(data.size()), Tag(7)));
  ASSERT_TRUE(done.WaitFor(8));
  EXPECT_EQ(sink.Position(), 256u);
  sink.Close();
  EXPECT_FALSE(sink.Write(data.data(), uint32_t(data.size()), Tag(8)));
}

TEST(NullPcmSinkTest, OrderPauseAndReset) {
  NullPcmSink sink(0.0);
  CheckOrderPauseAndReset(sink, kStereo);
}

TEST(NullPcmSinkTest, PausedSinkKeepsItsBuffers) {
  NullPcmSink sink(0.0);
  DoneRecorder done;
  ASSERT_EQ(sink.Open(kStereo, done.Handler()), PcmOpenResult::kOk);
  sink.Pause();
  std::vector<uint8_t> data(4096);
  ASSERT_TRUE(sink.Write(data.data(), 4096, Tag(0)));
  EXPECT_FALSE(done.WaitFor(1, 30ms));
  EXPECT_EQ(sink.Position(), 0u);
  sink.Restart();
  EXPECT_TRUE(done.WaitFor(1));
  EXPECT_EQ(sink.BytesPlayed(), 4096u);
}

TEST(NullPcmSinkTest, PacesBuffersByTheirDurationOverSpeed) {
  // One second of audio at ten times real speed.
  NullPcmSink sink(10.0);
  DoneRecorder done;
  const PcmFormat mono{1, 8000, 16};
  ASSERT_EQ(sink.Open(mono, done.Handler()), PcmOpenResult::kOk);
  std::vector<uint8_t> data(1600);  // 100 ms
  auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(sink.Write(data.data(), 1600, Tag(i)));
  ASSERT_TRUE(done.WaitFor(10));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 95ms);
  EXPECT_EQ(sink.Position(), 8000u);
}

TEST(NullPcmSinkTest, ReportsNoDeviceAndBusyDevice) {
  NullPcmSink sink(0.0);
  sink.SetBusyOpens(2);
  EXPECT_EQ(sink.Open(kStereo, nullptr), PcmOpenResult::kBusy);
  EXPECT_EQ(sink.Open(kStereo, nullptr), PcmOpenResult::kBusy);
  EXPECT_EQ(sink.Open(kStereo, [](void*) {}), PcmOpenResult::kOk);
  sink.SetDeviceCount(0);
  EXPECT_EQ(sink.DeviceCount(), 0u);
  EXPECT_EQ(sink.Open(kStereo, nullptr), PcmOpenResult::kError);
}

uint32_t Read32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 |
         uint32_t(uint8_t(s[at + 2])) << 16 | uint32_t(uint8_t(s[at + 3])) << 24;
}

TEST(WavPcmSinkTest, WritesWhatItPlaysWithHeaderFixedAtClose) {
  testsupport::TempDir dir;
  const auto path = dir / "out.wav";
  WavPcmSink sink(path.string());
  CheckOrderPauseAndReset(sink, PcmFormat{1, 22050, 16});

  const std::string wav = testsupport::ReadFile(path);
  // Five buffers of 256 mono frames were played; the three flushed ones were not.
  const uint32_t dataBytes = 5 * 256 * 2;
  ASSERT_EQ(wav.size(), WavPcmSink::kHeaderBytes + dataBytes);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(Read32(wav, 4), 36 + dataBytes);
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(Read32(wav, 24), 22050u);
  EXPECT_EQ(Read32(wav, 28), 44100u);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(Read32(wav, 40), dataBytes);
}

TEST(WavPcmSinkTest, UnwritablePathFailsTheOpen) {
  WavPcmSink sink("/nonexistent-dir/out.wav");
  EXPECT_EQ(sink.Open(kStereo, [](void*) {}), PcmOpenResult::kError);
}

TEST(SdlPcmSinkTest, DummyDriverPlaysInOrder) {
  // SDL's dummy driver consumes audio in real time without a sound card.
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  SdlPcmSink sink;
  if (sink.DeviceCount() == 0) GTEST_SKIP() << "no SDL audio driver";
  CheckOrderPauseAndReset(sink, PcmFormat{2, 48000, 16});
}

}  // namespace
}  // namespace platform
