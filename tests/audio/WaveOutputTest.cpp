#include "audio/WaveOutput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "platform/NullPcmSink.h"

namespace audio {
namespace {

using namespace std::chrono_literals;

struct Fixture {
  explicit Fixture(double speed = 0.0) {
    auto owned = std::make_unique<platform::NullPcmSink>(speed);
    sink = owned.get();
    output = std::make_unique<WaveOutput>(std::move(owned));
    output->setBusyRetryDelay(1ms);
  }
  // Fills the next free buffer with `bytes` bytes and plays it.
  WaveHeader* play(uint32_t bytes) {
    WaveHeader* header = output->waitFreeBuffer();
    header->bytesRecorded = bytes;
    output->write(header);
    return header;
  }
  platform::NullPcmSink* sink;
  std::unique_ptr<WaveOutput> output;
};

TEST(WaveOutputTest, RingSizeFollowsTheFormat) {
  struct Case {
    uint32_t channels, rate, bits, size, count;
  };
  const Case cases[] = {
      {2, 44100, 16, 16384, 6}, {1, 22050, 16, 4096, 6}, {1, 8000, 16, 2048, 4},
      {2, 32000, 16, 16384, 4}, {1, 11025, 8, 1024, 6},  {1, 8000, 8, 1024, 4},
      {2, 48000, 16, 16384, 6}, {1, 12000, 16, 4096, 3},
  };
  Fixture f;
  for (const Case& c : cases) {
    ASSERT_TRUE(f.output->open(c.channels, c.rate, c.bits)) << c.rate;
    EXPECT_EQ(f.output->bufferSize(), c.size) << c.rate << "/" << c.channels;
    EXPECT_EQ(f.output->bufferCount(), c.count) << c.rate << "/" << c.channels;
    uint32_t capacity = 0, queued = 1;
    f.output->bufferFill(capacity, queued);
    EXPECT_EQ(capacity, c.size * c.count);
    EXPECT_EQ(queued, 0u);
  }
}

TEST(WaveOutputTest, SameFormatKeepsTheDeviceANewOneReopens) {
  Fixture f;
  ASSERT_TRUE(f.output->open(2, 44100, 16));
  f.output->setPaused(true);
  WaveHeader* first = f.play(16384);
  ASSERT_TRUE(f.output->open(2, 44100, 16));
  EXPECT_EQ(f.sink->OpenAttempts(), 1u);
  EXPECT_EQ(f.output->inFlight(), 1u);
  EXPECT_EQ(f.output->samplesAhead(), 4096);
  EXPECT_NE(f.output->waitFreeBuffer(), first);

  ASSERT_TRUE(f.output->open(1, 22050, 16));
  EXPECT_EQ(f.sink->OpenAttempts(), 2u);
  EXPECT_EQ(f.output->bufferSize(), 4096u);
  EXPECT_EQ(f.output->inFlight(), 0u);
  EXPECT_EQ(f.output->samplesAhead(), 0);
  EXPECT_EQ(f.output->format().sampleRate, 22050u);
}

TEST(WaveOutputTest, ZeroByteWriteHandsTheSameBufferBack) {
  Fixture f;
  ASSERT_TRUE(f.output->open(1, 8000, 16));
  WaveHeader* header = f.output->waitFreeBuffer();
  EXPECT_EQ(header->bufferLength, 2048u);
  EXPECT_EQ(header->owner, f.output.get());
  header->bytesRecorded = 0;
  f.output->write(header);
  EXPECT_EQ(f.output->waitFreeBuffer(), header);
  EXPECT_EQ(f.output->inFlight(), 0u);
  EXPECT_EQ(f.sink->BytesPlayed(), 0u);
  f.play(2048);
  EXPECT_NE(f.output->waitFreeBuffer(), header);
}

TEST(WaveOutputTest, WaitFreeBufferBlocksWhileEveryBufferIsQueued) {
  Fixture f;
  ASSERT_TRUE(f.output->open(1, 8000, 16));
  f.output->setPaused(true);
  for (int i = 0; i < 4; ++i) f.play(2048);
  EXPECT_EQ(f.output->inFlight(), 4u);
  uint32_t capacity = 0, queued = 0;
  f.output->bufferFill(capacity, queued);
  EXPECT_EQ(queued, capacity);

  auto waiter = std::async(std::launch::async, [&] { return f.output->waitFreeBuffer(); });
  EXPECT_EQ(waiter.wait_for(50ms), std::future_status::timeout);
  f.output->setPaused(false);
  ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
  EXPECT_NE(waiter.get(), nullptr);
}

TEST(WaveOutputTest, CloseReleasesAWaiterWithNoBuffer) {
  Fixture f;
  ASSERT_TRUE(f.output->open(1, 8000, 16));
  f.output->setPaused(true);
  for (int i = 0; i < 4; ++i) f.play(2048);
  auto waiter = std::async(std::launch::async, [&] { return f.output->waitFreeBuffer(); });
  f.output->close();
  ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
  EXPECT_EQ(waiter.get(), nullptr);
  EXPECT_EQ(f.output->position(), 0u);
  uint32_t capacity = 1, queued = 1;
  f.output->bufferFill(capacity, queued);
  EXPECT_EQ(capacity, 0u);
  // Writes and pauses on a closed output do nothing.
  WaveHeader header;
  header.bytesRecorded = 100;
  f.output->write(&header);
  f.output->setPaused(false);
  EXPECT_EQ(f.sink->BytesPlayed(), 0u);
}

TEST(WaveOutputTest, ResetLeavesThePausedDeviceEmptyAtPositionZero) {
  Fixture f;
  ASSERT_TRUE(f.output->open(2, 44100, 16));
  for (int i = 0; i < 3; ++i) f.play(16384);
  // Speed 0: the sink plays at once.
  while (!f.output->isDrained()) std::this_thread::yield();
  EXPECT_EQ(f.output->position(), 3u * 4096);
  f.output->setPaused(true);
  f.play(16384);
  EXPECT_EQ(f.output->samplesAhead(), 4096);
  f.output->reset();
  EXPECT_EQ(f.output->position(), 0u);
  EXPECT_EQ(f.output->inFlight(), 0u);
  EXPECT_EQ(f.output->samplesAhead(), 0);
  EXPECT_TRUE(f.output->isDrained());
  EXPECT_TRUE(f.sink->IsPaused());
  EXPECT_EQ(f.sink->BytesPlayed(), 3u * 16384);
}

TEST(WaveOutputTest, BusyDeviceIsTriedTenTimes) {
  Fixture f;
  f.sink->SetBusyOpens(9);
  EXPECT_TRUE(f.output->open(2, 44100, 16));
  EXPECT_EQ(f.sink->OpenAttempts(), 10u);
  f.output->close();
  f.sink->SetBusyOpens(10);
  EXPECT_FALSE(f.output->open(2, 44100, 16));
  EXPECT_EQ(f.sink->OpenAttempts(), 20u);
  EXPECT_FALSE(f.output->isOpen());
}

TEST(WaveOutputTest, NoDeviceFailsTheOpen) {
  Fixture f;
  f.sink->SetDeviceCount(0);
  EXPECT_FALSE(f.output->open(2, 44100, 16));
  EXPECT_FALSE(f.output->isOpen());
  EXPECT_EQ(f.sink->OpenAttempts(), 0u);
}

}  // namespace
}  // namespace audio
