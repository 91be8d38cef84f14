#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio/PcmSinkChoice.h"
#include "platform/audio/PcmSinkFactory.h"
#include "platform/audio/null/NullPcmSink.h"
#include "platform/audio/sdl2/SdlPcmSink.h"
#include "platform/audio/wav/RealtimeWavPcmSink.h"
#include "platform/audio/wav/WavPcmSink.h"
#include "tests/support/TempDir.h"

namespace platform {
namespace {

using namespace std::chrono_literals;

// Collects completion notices (tags in order) and whether they came on the caller's thread, as
// an unpaced (`immediate`) sink sends them, or on the sink's own.
struct DoneRecorder {
  PcmSink::DoneHandler Handler() {
    return [this](void* tag) {
      std::lock_guard<std::mutex> guard(mutex);
      tags.push_back(tag);
      (std::this_thread::get_id() == caller ? onCallerThread : offCallerThread) = true;
      changed.notify_all();
    };
  }
  bool WaitFor(size_t count, std::chrono::milliseconds timeout = 5s) {
    std::unique_lock<std::mutex> lock(mutex);
    return changed.wait_for(lock, timeout, [&] { return tags.size() >= count; });
  }
  std::vector<void*> Tags() {
    std::lock_guard<std::mutex> guard(mutex);
    EXPECT_FALSE(immediate ? offCallerThread : onCallerThread);
    return tags;
  }
  size_t Count() {
    std::lock_guard<std::mutex> guard(mutex);
    return tags.size();
  }
  bool immediate = false;
  std::mutex mutex;  // guards `tags` and the two thread flags
  std::condition_variable changed;
  std::vector<void*> tags;
  bool onCallerThread = false;
  bool offCallerThread = false;
  const std::thread::id caller = std::this_thread::get_id();
};

void* Tag(int i) { return reinterpret_cast<void*>(uintptr_t(i + 1)); }

// Every backend: buffers come back in order, the position counts frames played, a paused sink
// keeps its buffers, and a reset returns what is queued and restarts from 0.
void CheckOrderPauseAndReset(PcmSink& sink, const PcmFormat& format, bool immediate = false) {
  DoneRecorder done;
  done.immediate = immediate;
  ASSERT_EQ(sink.Open(format, done.Handler()), PcmOpenResult::kOk);
  std::vector<uint8_t> data(format.BlockAlign() * 256, 0);
  auto write = [&](int i) { return sink.Write(data.data(), uint32_t(data.size()), Tag(i)); };
  for (int i = 0; i < 4; ++i) {
    ASSERT_TRUE(write(i));
    if (immediate) {
      EXPECT_EQ(done.Count(), size_t(i + 1));
    }
  }
  ASSERT_TRUE(done.WaitFor(4));
  EXPECT_EQ(done.Tags(), (std::vector<void*>{Tag(0), Tag(1), Tag(2), Tag(3)}));
  EXPECT_EQ(sink.Position(), 4u * 256);

  sink.Pause();
  for (int i = 4; i < 7; ++i) ASSERT_TRUE(write(i));
  EXPECT_FALSE(done.WaitFor(5, 30ms));
  EXPECT_EQ(sink.Position(), 4u * 256);
  sink.Reset();
  // Every flushed buffer's notice has arrived by the time `Reset` returns.
  EXPECT_EQ(done.Tags().size(), 7u);
  EXPECT_EQ(sink.Position(), 0u);
  sink.Restart();
  ASSERT_TRUE(write(7));
  ASSERT_TRUE(done.WaitFor(8));
  EXPECT_EQ(sink.Position(), 256u);
  sink.Close();
  EXPECT_FALSE(write(8));
}

TEST(NullPcmSinkTest, OrderPauseAndReset) {
  NullPcmSink paced(1000.0);
  CheckOrderPauseAndReset(paced, PcmFormat{2, 44100, 16});
  NullPcmSink unpaced(0.0);
  CheckOrderPauseAndReset(unpaced, PcmFormat{2, 44100, 16}, true);
  // Unpaced, what was queued while paused plays, in order, inside `Restart`.
  DoneRecorder done;
  done.immediate = true;
  ASSERT_EQ(unpaced.Open(PcmFormat{1, 8000, 16}, done.Handler()), PcmOpenResult::kOk);
  std::vector<uint8_t> data(200);
  unpaced.Pause();
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(unpaced.Write(data.data(), 200, Tag(i)));
  EXPECT_EQ(done.Count(), 0u);
  unpaced.Restart();
  EXPECT_EQ(done.Tags(), (std::vector<void*>{Tag(0), Tag(1), Tag(2)}));
  EXPECT_EQ(unpaced.Position(), 300u);
}

TEST(NullPcmSinkTest, PacesBuffersByTheirDurationOverSpeed) {
  NullPcmSink sink(10.0);  // one second of audio at ten times real speed
  DoneRecorder done;
  ASSERT_EQ(sink.Open(PcmFormat{1, 8000, 16}, done.Handler()), PcmOpenResult::kOk);
  std::vector<uint8_t> data(1600);  // 100 ms
  const auto start = std::chrono::steady_clock::now();
  for (int i = 0; i < 10; ++i) ASSERT_TRUE(sink.Write(data.data(), 1600, Tag(i)));
  ASSERT_TRUE(done.WaitFor(10));
  EXPECT_GE(std::chrono::steady_clock::now() - start, 95ms);
  EXPECT_EQ(sink.Position(), 8000u);
  EXPECT_EQ(sink.BytesPlayed(), 16000u);
}

uint32_t Read32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 |
         uint32_t(uint8_t(s[at + 2])) << 16 | uint32_t(uint8_t(s[at + 3])) << 24;
}

TEST(WavPcmSinkTest, WritesWhatItPlaysWithHeaderFixedAtClose) {
  testsupport::TempDir dir;
  WavPcmSink sink((dir / "out.wav").string());
  CheckOrderPauseAndReset(sink, PcmFormat{1, 22050, 16}, true);
  const std::string wav = testsupport::ReadFile(dir / "out.wav");
  // Five buffers of 256 mono frames were played; the three flushed ones were not.
  const uint32_t dataBytes = 5 * 256 * 2;
  ASSERT_EQ(wav.size(), WavPcmSink::kHeaderBytes + dataBytes);
  EXPECT_EQ(wav.substr(0, 16), "RIFF" + wav.substr(4, 4) + "WAVEfmt ");
  EXPECT_EQ(Read32(wav, 4), 36 + dataBytes);
  EXPECT_EQ(Read32(wav, 24), 22050u);  // sample rate, then bytes a second
  EXPECT_EQ(Read32(wav, 28), 44100u);
  EXPECT_EQ(wav.substr(36, 4), "data");
  EXPECT_EQ(Read32(wav, 40), dataBytes);

  // Several tracks recorded: the second open goes on after the first's samples.
  WavPcmSink tracks((dir / "tracks.wav").string(), 0.0, true);
  CheckOrderPauseAndReset(tracks, PcmFormat{1, 22050, 16}, true);
  CheckOrderPauseAndReset(tracks, PcmFormat{1, 22050, 16}, true);
  const std::string both = testsupport::ReadFile(dir / "tracks.wav");
  ASSERT_EQ(both.size(), WavPcmSink::kHeaderBytes + 2 * dataBytes);
  EXPECT_EQ(Read32(both, 4), 36 + 2 * dataBytes);
  EXPECT_EQ(Read32(both, 40), 2 * dataBytes);
  EXPECT_EQ(both.substr(WavPcmSink::kHeaderBytes + dataBytes), wav.substr(WavPcmSink::kHeaderBytes));
  // A track in another format goes to a file of its own; the first keeps what it had.
  CheckOrderPauseAndReset(tracks, PcmFormat{2, 48000, 16}, true);
  tracks.Close();
  EXPECT_EQ(testsupport::ReadFile(dir / "tracks.wav"), both);
  const std::string stereo = testsupport::ReadFile(dir / "tracks-2.wav");
  ASSERT_EQ(stereo.size(), WavPcmSink::kHeaderBytes + 2 * dataBytes);
  EXPECT_EQ(Read32(stereo, 24), 48000u);
  EXPECT_EQ(Read32(stereo, 28), 48000u * 4);
  EXPECT_EQ(Read32(stereo, 40), 2 * dataBytes);
  EXPECT_EQ(WavRecorder::NumberedPath("a.b/c", 3), "a.b/c-3");

  WavPcmSink unwritable("/nonexistent-dir/out.wav");
  EXPECT_EQ(unwritable.Open(PcmFormat{1, 22050, 16}, [](void*) {}), PcmOpenResult::kError);
}

// The contract, then three buffers with a pause and a close between: each whole, in order,
// with silence as long as the pause and the close lasted.
TEST(RealtimeWavPcmSinkTest, RecordsTheSoundAndTheSilenceBetween) {
  testsupport::TempDir dir;
  {
    RealtimeWavPcmSink contract((dir / "contract.wav").string());
    CheckOrderPauseAndReset(contract, PcmFormat{1, 22050, 16});
  }
  const PcmFormat format{1, 8000, 16};
  std::vector<std::vector<int16_t>> sounds;
  for (int16_t level : {1000, 2000, 3000}) sounds.emplace_back(800 + level / 10, level);  // ~100 ms each
  const auto startedAt = std::chrono::steady_clock::now();
  {
    RealtimeWavPcmSink sink((dir / "heard.wav").string());
    DoneRecorder done;
    auto play = [&](int i) {
      ASSERT_TRUE(sink.Write(reinterpret_cast<const uint8_t*>(sounds[i].data()), uint32_t(sounds[i].size() * 2), Tag(i)));
    };
    ASSERT_EQ(sink.Open(format, done.Handler()), PcmOpenResult::kOk);
    play(0);
    ASSERT_TRUE(done.WaitFor(1));
    sink.Pause();
    play(1);
    std::this_thread::sleep_for(150ms);
    EXPECT_EQ(sink.Position(), sounds[0].size());
    sink.Restart();
    ASSERT_TRUE(done.WaitFor(2));
    sink.Close();
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(sink.Open(format, done.Handler()), PcmOpenResult::kOk);
    play(2);
    ASSERT_TRUE(done.WaitFor(3));
  }
  const double wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - startedAt).count();
  const std::string wav = testsupport::ReadFile(dir / "heard.wav");
  ASSERT_GT(wav.size(), WavRecorder::kHeaderBytes);
  EXPECT_EQ(Read32(wav, 40), wav.size() - WavRecorder::kHeaderBytes);
  std::vector<int16_t> heard((wav.size() - WavRecorder::kHeaderBytes) / 2);
  std::memcpy(heard.data(), wav.data() + WavRecorder::kHeaderBytes, heard.size() * 2);
  // The recording runs with the wall clock (within a scheduling step or two).
  EXPECT_NEAR(double(heard.size()) / format.sampleRate, wallSeconds, 0.03);
  // Runs of sound and of silence, in order.
  std::vector<std::pair<int16_t, size_t>> runs;
  for (int16_t sample : heard) {
    if (runs.empty() || runs.back().first != sample) runs.emplace_back(sample, 0);
    ++runs.back().second;
  }
  if (!runs.empty() && runs.front().first == 0) runs.erase(runs.begin());
  if (!runs.empty() && runs.back().first == 0) runs.pop_back();
  ASSERT_EQ(runs.size(), 5u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(runs[2 * i].first, sounds[i][0]);
    EXPECT_EQ(runs[2 * i].second, sounds[i].size());
  }
  EXPECT_GE(runs[1].second, 8000u * 140 / 1000);  // the pause
  EXPECT_GE(runs[3].second, 8000u * 90 / 1000);   // the closed device
}

// Sets an environment variable for one test and puts the previous value back.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) previous_ = old;
    setenv(name, value, 1);
  }
  ~ScopedEnv() {
    if (previous_) {
      setenv(name_, previous_->c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  const char* name_;
  std::optional<std::string> previous_;
};

TEST(SdlPcmSinkTest, DummyDriverPlaysInOrder) {
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");  // consumes audio in real time without a sound card
  SdlPcmSink sink;
  if (sink.DeviceCount() == 0) GTEST_SKIP() << "no SDL audio driver";
  CheckOrderPauseAndReset(sink, PcmFormat{2, 48000, 16});
}

TEST(PcmSinkChoiceTest, ReadsEachOutputAndNothingElse) {
  struct Case {
    const char* value;
    bool valid;
    PcmSinkKind kind;
    const char* wavPath;
  } cases[] = {
      {"sdl", true, PcmSinkKind::kSdl, ""},
      {"null", true, PcmSinkKind::kNull, ""},
      {"wav:out.wav", true, PcmSinkKind::kWav, "out.wav"},
      {"wav:a:b", true, PcmSinkKind::kWav, "a:b"},
      {"wav:", false, PcmSinkKind::kSdl, ""},
      {"wav-realtime:heard.wav", true, PcmSinkKind::kWavRealtime, "heard.wav"},
      {"wav-realtime:", false, PcmSinkKind::kSdl, ""},
      {"wav", false, PcmSinkKind::kSdl, ""},
      {"SDL", false, PcmSinkKind::kSdl, ""},
      {"", false, PcmSinkKind::kSdl, ""},
      {"nullx", false, PcmSinkKind::kSdl, ""},
  };
  for (const Case& c : cases) {
    const std::optional<PcmSinkChoice> choice = ParsePcmSinkChoice(c.value);
    ASSERT_EQ(choice.has_value(), c.valid) << c.value;
    if (!choice) continue;
    EXPECT_EQ(choice->kind, c.kind) << c.value;
    EXPECT_EQ(choice->wavPath, c.wavPath) << c.value;
  }
}

TEST(PcmSinkFactoryTest, BuildsTheChosenBackendAndAsksForSdlOnlyWhenChosen) {
  testsupport::TempDir dir;
  int sdlRequests = 0;
  const auto makeSdl = [&sdlRequests]() -> std::unique_ptr<PcmSink> {
    ++sdlRequests;
    return std::make_unique<NullPcmSink>();
  };
  const std::string wavPath = (dir / "out.wav").string();
  std::unique_ptr<PcmSink> wav = MakePcmSink(PcmSinkChoice{PcmSinkKind::kWav, wavPath}, PcmSinkPacing{}, makeSdl);
  ASSERT_NE(wav, nullptr);
  ASSERT_EQ(wav->Open(PcmFormat{1, 8000, 16}, [](void*) {}), PcmOpenResult::kOk);
  wav->Close();
  EXPECT_TRUE(std::filesystem::exists(wavPath));
  EXPECT_NE(MakePcmSink(PcmSinkChoice{PcmSinkKind::kNull, {}}, PcmSinkPacing{}, makeSdl), nullptr);
  EXPECT_EQ(sdlRequests, 0);
  EXPECT_NE(MakePcmSink(PcmSinkChoice{PcmSinkKind::kSdl, {}}, PcmSinkPacing{}, makeSdl), nullptr);
  EXPECT_EQ(sdlRequests, 1);
  EXPECT_EQ(MakePcmSink(PcmSinkChoice{PcmSinkKind::kSdl, {}}, PcmSinkPacing{}, nullptr), nullptr);
}

// The dummy driver at 32 kHz consumes 1024 frames per 32 ms: the position, also when the last
// buffer is reported done, never claims more than that.
TEST(SdlPcmSinkTest, PositionAndNoticesFollowWhatTheDeviceConsumed) {
  ScopedEnv driver("SDL_AUDIODRIVER", "dummy");
  SdlPcmSink sink;
  if (sink.DeviceCount() == 0) GTEST_SKIP() << "no SDL audio driver";
  constexpr uint32_t kFrames = 7 * SdlPcmSink::kCallbackFrames + 300;
  std::chrono::steady_clock::time_point start;
  auto mostConsumed = [&] {
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    return uint64_t(elapsed.count()) / 32 * SdlPcmSink::kCallbackFrames;
  };
  std::mutex mutex;  // guards the three values below
  std::condition_variable drained;
  bool done = false;
  uint64_t positionAtDone = 0, consumedAtDone = 0;
  ASSERT_EQ(sink.Open(PcmFormat{1, 32000, 16},
                      [&](void*) {
                        std::lock_guard<std::mutex> guard(mutex);
                        positionAtDone = sink.Position();
                        consumedAtDone = mostConsumed();
                        done = true;
                        drained.notify_all();
                      }),
            PcmOpenResult::kOk);
  sink.Pause();
  std::vector<uint8_t> data(kFrames * 2, 0);
  ASSERT_TRUE(sink.Write(data.data(), uint32_t(data.size()), Tag(0)));
  std::unique_lock<std::mutex> lock(mutex);
  start = std::chrono::steady_clock::now();
  sink.Restart();
  // Samples the position once a millisecond while it plays.
  while (!drained.wait_for(lock, 1ms, [&] { return done; })) {
    const uint64_t position = sink.Position();
    ASSERT_LE(position, mostConsumed());
    ASSERT_LT(std::chrono::steady_clock::now() - start, 5s);
  }
  EXPECT_EQ(positionAtDone, kFrames);
  EXPECT_LE(positionAtDone, consumedAtDone);
  lock.unlock();
  sink.Close();
}

}  // namespace
}  // namespace platform
