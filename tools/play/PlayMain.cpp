// vornalo-play: plays one MP3 stream through the stream player, from the command line.

#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <memory>
#include <mutex>

#include "audio/StreamPlayer.h"
#include "platform/DebugLog.h"
#include "platform/TextCodec.h"
#include "platform/audio/PcmSinkFactory.h"
#include "platform/audio/sdl2/SdlPcmSinkModule.h"
#include "tools/play/LoopbackFileServer.h"
#include "tools/play/PlayOptions.h"

namespace {

using namespace std::chrono_literals;

// How far Left and Right move in the track.
constexpr uint32_t kSeekStepSeconds = 10;
// How often the progress line is redrawn and the keyboard looked at.
constexpr auto kTickInterval = 200ms;
constexpr int kExitPlayed = 0;
constexpr int kExitNotStarted = 1;
constexpr int kExitUsage = 2;
constexpr int kExitInterrupted = 130;

std::atomic<bool> interrupted{false};

void OnSignal(int) { interrupted.store(true); }

// The player's messages, queued for the main thread.
class MessageQueue : public audio::PlayerNotifyTarget {
 public:
  void postPlayerMessage(uint32_t message) override {
    {
      std::lock_guard<std::mutex> guard(mutex_);
      messages_.push_back(message);
    }
    changed_.notify_all();
  }
  // The next message, waiting at most `timeout`; 0 when none came.
  uint32_t next(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!changed_.wait_for(lock, timeout, [this] { return !messages_.empty(); })) return 0;
    uint32_t message = messages_.front();
    messages_.pop_front();
    return message;
  }

 private:
  // Guards `messages_`.
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<uint32_t> messages_;
};

// Puts a terminal on standard input into single-key mode for its lifetime.
class KeyboardMode {
 public:
  KeyboardMode() {
    if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios raw = saved_;
    raw.c_lflag &= tcflag_t(~(ICANON | ECHO));
    raw.c_cc[VMIN] = 0;
    raw.c_cc[VTIME] = 0;
    active_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
  }
  ~KeyboardMode() {
    if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }
  KeyboardMode(const KeyboardMode&) = delete;
  KeyboardMode& operator=(const KeyboardMode&) = delete;

  enum class Key { kNone, kSpace, kLeft, kRight, kOther };

  // The key pressed since the last call; the arrows come as the terminal's escape sequences
  // (ESC [ D or ESC O D for Left, C for Right).
  Key poll() const {
    if (!active_) return Key::kNone;
    pollfd fd{STDIN_FILENO, POLLIN, 0};
    char keys[8] = {};
    if (::poll(&fd, 1, 0) != 1) return Key::kNone;
    const ssize_t got = ::read(STDIN_FILENO, keys, sizeof keys);
    if (got == 1 && keys[0] == ' ') return Key::kSpace;
    if (got == 3 && keys[0] == '\x1b' && (keys[1] == '[' || keys[1] == 'O')) {
      if (keys[2] == 'D') return Key::kLeft;
      if (keys[2] == 'C') return Key::kRight;
    }
    return got > 0 ? Key::kOther : Key::kNone;
  }

 private:
  termios saved_{};
  bool active_ = false;
};

std::string Clock(uint64_t seconds) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu:%02llu", static_cast<unsigned long long>(seconds / 60),
                static_cast<unsigned long long>(seconds % 60));
  return text;
}

const char* VersionName(uint32_t version) {
  return version == 1 ? "1" : version == 2 ? "2" : "2.5";
}

// This program's peak resident memory ("VmHWM"), in KiB; the counter of the rusage calls
// also holds what the parent used before this program was started.
long PeakRssKiB() {
  std::FILE* status = std::fopen("/proc/self/status", "r");
  if (!status) return -1;
  char line[256];
  long kib = -1;
  while (std::fgets(line, sizeof line, status)) {
    if (std::sscanf(line, "VmHWM: %ld kB", &kib) == 1) break;
  }
  std::fclose(status);
  return kib;
}

std::unique_ptr<platform::PcmSink> MakeSink(const tools::PlayOptions& options) {
  platform::PcmSinkPacing pacing;
  pacing.nullSpeed = options.speed < 0 ? 1.0 : options.speed;
  pacing.wavSpeed = options.speed < 0 ? 0.0 : options.speed;
  return platform::MakePcmSink(platform::PcmSinkChoice{options.audio, options.wavPath}, pacing, [] {
    std::string error;
    const std::string directory = std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
    std::unique_ptr<platform::PcmSink> sink = platform::LoadSdlPcmSink(directory, error);
    if (!sink) std::fprintf(stderr, "vornalo-play: no SDL audio: %s\n", error.c_str());
    return sink;
  });
}

void PrintProgress(audio::StreamPlayer& player, const audio::Mp3FrameHeader& header,
                   int32_t contentLength) {
  uint32_t capacity = 0, queued = 0, received = 0;
  player.bufferFill(capacity, queued, received);
  const uint64_t elapsed = header.sampleRate ? player.position() / header.sampleRate : 0;
  // Without a content length there is no duration to show.
  std::string total = "-:--";
  if (contentLength > 0 && header.bitrate > 0) {
    total = Clock(uint64_t(contentLength) * 8 / (uint64_t(header.bitrate) * 1000));
  }
  std::printf("\r  %s / %s  %u bytes%s   ", Clock(elapsed).c_str(), total.c_str(), received,
              player.state() == audio::StreamPlayer::Paused ? "  [paused]" : "");
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  tools::PlayOptions options;
  std::string error;
  if (!tools::ParsePlayOptions(argc, argv, options, error)) {
    std::fprintf(stderr, "vornalo-play: %s\n%s", error.c_str(), tools::kPlayUsage);
    return kExitUsage;
  }
  if (options.help) {
    std::fputs(tools::kPlayUsage, stdout);
    return 0;
  }
  platform::SetDebugOutputEnabled(options.debug);

  std::string url = options.source;
  std::unique_ptr<tools::LoopbackFileServer> server;
  if (url.rfind("http://", 0) != 0) {
    server = std::make_unique<tools::LoopbackFileServer>(options.source);
    if (!server->start()) {
      std::fprintf(stderr, "vornalo-play: cannot serve %s\n", options.source.c_str());
      return kExitNotStarted;
    }
    url = server->url();
  }

  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  MessageQueue messages;
  std::unique_ptr<platform::PcmSink> sink = MakeSink(options);
  if (!sink) return kExitNotStarted;
  audio::StreamPlayer player(std::move(sink));
  player.setNotifyWindow(&messages);
  player.setUrl(platform::Utf8ToUtf16(url));
  if (!player.play()) {
    std::fprintf(stderr, "vornalo-play: cannot start playback of %s\n", url.c_str());
    return kExitNotStarted;
  }

  KeyboardMode keyboard;
  const bool showProgress = !options.quiet && isatty(STDOUT_FILENO);
  bool started = false;
  bool stopping = false;
  audio::Mp3FrameHeader header;
  int32_t contentLength = 0;
  for (;;) {
    const uint32_t message = messages.next(kTickInterval);
    if (message == audio::kMsgPlaybackStarted) {
      started = true;
      header = player.header();
      contentLength = player.contentLength();
      std::printf("MPEG-%s Layer %u, %u Hz, %u channel%s, %u kbit/s\n",
                  VersionName(header.version), header.layer, header.sampleRate, header.channels,
                  header.channels == 1 ? "" : "s", header.bitrate);
      std::printf("[%u] playback started (content length %d)\n", message, contentLength);
    } else if (message == audio::kMsgPlayerTeardownDone) {
      if (showProgress && started) std::printf("\n");
      if (!options.quiet) std::printf("[%u] playback torn down\n", message);
    } else if (message == audio::kMsgTrackEnded) {
      std::printf("[%u] %s\n", message, started ? "track ended" : "track could not start");
      if (options.stats) std::printf("peak RSS: %ld KiB\n", PeakRssKiB());
      return started ? kExitPlayed : kExitNotStarted;
    } else if (message == audio::kMsgStoppedAdvance || message == audio::kMsgStoppedNoAdvance) {
      std::printf("[%u] stopped\n", message);
      return kExitInterrupted;
    }
    if (interrupted.load() && !stopping) {
      // Stop without holding the loop: the stop message arrives through the queue.
      stopping = true;
      player.stop(1);
    }
    const KeyboardMode::Key key = keyboard.poll();
    if (key == KeyboardMode::Key::kSpace) player.togglePause();
    if (key == KeyboardMode::Key::kLeft || key == KeyboardMode::Key::kRight) {
      const uint64_t step = uint64_t{kSeekStepSeconds} * player.sampleRate();
      const uint64_t at = player.position();
      player.seekTo(key == KeyboardMode::Key::kRight ? at + step : at - std::min(at, step));
    }
    if (showProgress && started && message == 0) PrintProgress(player, header, contentLength);
  }
}
