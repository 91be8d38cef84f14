#include "audio/WaveOutput.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "platform/audio/null/NullPcmSink.h"
#include "tests/support/WaitUntil.h"

namespace audio {
namespace {

using namespace std::chrono_literals;

struct Fixture {
  Fixture() {
    auto owned = std::make_unique<platform::NullPcmSink>(0.0);
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
  uint32_t queued() {
    uint32_t capacity = 0, queuedBytes = 0;
    output->bufferFill(capacity, queuedBytes);
    return queuedBytes;
  }
  platform::NullPcmSink* sink;
  std::unique_ptr<WaveOutput> output;
};

// Each open of a new format re-sizes the ring: buffer size and count from rate and channels.
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
    SCOPED_TRACE(::testing::Message() << c.rate << "/" << c.channels << "/" << c.bits);
    ASSERT_TRUE(f.output->open(c.channels, c.rate, c.bits));
    EXPECT_EQ(f.output->bufferSize(), c.size);
    EXPECT_EQ(f.output->bufferCount(), c.count);
    uint32_t capacity = 0, queued = 1;
    f.output->bufferFill(capacity, queued);
    EXPECT_EQ(capacity, c.size * c.count);
    EXPECT_EQ(queued, 0u);
  }
  EXPECT_EQ(f.sink->OpenAttempts(), 8u);
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
  EXPECT_EQ(f.output->inFlight(), 0u);
  EXPECT_EQ(f.output->samplesAhead(), 0);
  EXPECT_EQ(f.output->format().sampleRate, 22050u);
}

TEST(WaveOutputTest, ZeroByteWriteHandsTheSameBufferBack) {
  Fixture f;
  ASSERT_TRUE(f.output->open(1, 8000, 16));
  WaveHeader* header = f.output->waitFreeBuffer();
  header->bytesRecorded = 0;
  f.output->write(header);
  EXPECT_EQ(f.output->waitFreeBuffer(), header);
  EXPECT_EQ(f.output->inFlight(), 0u);
  EXPECT_EQ(f.sink->BytesPlayed(), 0u);
  f.play(2048);
  EXPECT_NE(f.output->waitFreeBuffer(), header);
}

// A waiter blocks while every buffer is queued until one returns or a close releases it; a
// closed output ignores writes.
TEST(WaveOutputTest, WaitFreeBufferBlocksWhileEveryBufferIsQueued) {
  Fixture f;
  ASSERT_TRUE(f.output->open(1, 8000, 16));
  for (bool closeToRelease : {false, true}) {
    ASSERT_TRUE(testsupport::WaitUntil([&] { return f.output->isDrained(); }));
    f.output->setPaused(true);
    for (int i = 0; i < 4; ++i) f.play(2048);
    EXPECT_EQ(f.queued(), 4u * 2048);
    auto waiter = std::async(std::launch::async, [&] { return f.output->waitFreeBuffer(); });
    EXPECT_EQ(waiter.wait_for(50ms), std::future_status::timeout);
    if (closeToRelease) {
      f.output->close();
    } else {
      f.output->setPaused(false);
    }
    ASSERT_EQ(waiter.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(waiter.get() == nullptr, closeToRelease);
  }
  EXPECT_EQ(f.output->position(), 0u);
  EXPECT_EQ(f.queued(), 0u);
  const uint64_t played = f.sink->BytesPlayed();
  WaveHeader header;
  header.bytesRecorded = 100;
  f.output->write(&header);
  f.output->setPaused(false);
  EXPECT_EQ(f.sink->BytesPlayed(), played);
}

TEST(WaveOutputTest, ResetLeavesThePausedDeviceEmptyAtPositionZero) {
  Fixture f;
  ASSERT_TRUE(f.output->open(2, 44100, 16));
  for (int i = 0; i < 3; ++i) f.play(16384);
  ASSERT_TRUE(testsupport::WaitUntil([&] { return f.output->isDrained(); }));
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

// A busy device is tried ten times in all; no device at all is not tried.
TEST(WaveOutputTest, OpenAttemptsOnABusyOrMissingDevice) {
  struct Case {
    uint32_t busyOpens, devices;
    bool opens;
    uint32_t attempts;
  };
  for (const Case& c : {Case{9, 1, true, 10}, Case{10, 1, false, 10}, Case{0, 0, false, 0}}) {
    SCOPED_TRACE(::testing::Message() << c.busyOpens << " busy, " << c.devices << " devices");
    Fixture f;
    f.sink->SetBusyOpens(c.busyOpens);
    f.sink->SetDeviceCount(c.devices);
    EXPECT_EQ(f.output->open(2, 44100, 16), c.opens);
    EXPECT_EQ(f.output->isOpen(), c.opens);
    EXPECT_EQ(f.sink->OpenAttempts(), c.attempts);
  }
}

}  // namespace
}  // namespace audio
