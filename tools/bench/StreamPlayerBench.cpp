// Benchmark: CPU time of the whole streaming path (vornalo-play over loopback into the null
// sink at unlimited speed) against a bare libmad decode loop of the same file with the same
// sample conversion, and against mpg123 -t; plus the peak RSS of vornalo-play.
//
//   stream_player_bench [--seconds N] [--runs N] [--player PATH]...
//
// Several --player options (another build's vornalo-play, say) are measured side by side,
// each run taking its turn after the bare loop. Each player also plays a 2 s track, so that a
// second figure leaves out what any run costs whatever its length (process start, loading
// libraries, connecting): the bare loop has none of that either.

#include <mad.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "tools/bench/BenchTone.h"
#include "tools/play/LoopbackFileServer.h"

namespace {

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A fresh folder under the system's temporary one, removed with its contents at the end.
class ScratchDir {
 public:
  ScratchDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornalo-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data())) path_ = pattern;
  }
  ~ScratchDir() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

struct ChildCost {
  double cpuSeconds = -1;
  int status = -1;
};

// Runs `args` with its output going to `outputPath` (or discarded) and returns its CPU time.
ChildCost RunChild(const std::vector<std::string>& args, const std::string& outputPath = "/dev/null") {
  platform::ChildProcess child(args.front(), {args.begin() + 1, args.end()}, {}, {}, outputPath, "/dev/null");
  ChildCost cost;
  if (!child.Started()) return cost;
  child.Wait();
  cost.status = child.Status();
  cost.cpuSeconds = child.CpuSeconds();
  return cost;
}

double ThreadCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

int16_t Scale(mad_fixed_t sample) {
  int64_t value = int64_t(sample) + (1 << (MAD_F_FRACBITS - 16));
  value = std::clamp<int64_t>(value, -MAD_F_ONE, MAD_F_ONE - 1);
  return int16_t(value >> (MAD_F_FRACBITS + 1 - 16));
}

// The bare loop: the whole file in memory, decode, synthesize, convert into one buffer.
double BareLibmadSeconds(const std::string& mp3, uint64_t& checksum) {
  std::string input = mp3 + std::string(MAD_BUFFER_GUARD, '\0');
  std::vector<uint8_t> pcm(1152 * 4);
  const double start = ThreadCpuSeconds();
  mad_stream stream;
  mad_frame frame;
  mad_synth synth;
  mad_stream_init(&stream);
  mad_frame_init(&frame);
  mad_synth_init(&synth);
  mad_stream_buffer(&stream, reinterpret_cast<const unsigned char*>(input.data()), input.size());
  checksum = 0;
  for (;;) {
    if (mad_frame_decode(&frame, &stream) != 0) {
      if (MAD_RECOVERABLE(stream.error)) continue;
      break;
    }
    mad_synth_frame(&synth, &frame);
    uint8_t* out = pcm.data();
    for (unsigned i = 0; i < synth.pcm.length; ++i) {
      for (unsigned c = 0; c < synth.pcm.channels; ++c) {
        uint16_t v = uint16_t(Scale(synth.pcm.samples[c][i]));
        *out++ = uint8_t(v);
        *out++ = uint8_t(v >> 8);
      }
    }
    checksum += pcm[100];
  }
  mad_synth_finish(&synth);
  mad_frame_finish(&frame);
  mad_stream_finish(&stream);
  return ThreadCpuSeconds() - start;
}

}  // namespace

int main(int argc, char** argv) {
  double seconds = 300;
  int runs = 3;
  std::vector<std::string> players;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (!std::strcmp(argv[i], "--seconds")) seconds = std::atof(argv[i + 1]);
    if (!std::strcmp(argv[i], "--runs")) runs = std::max(1, std::atoi(argv[i + 1]));
    if (!std::strcmp(argv[i], "--player")) players.push_back(argv[i + 1]);
  }
  if (players.empty()) {
    players.push_back((std::filesystem::read_symlink("/proc/self/exe").parent_path() / "../play/vornalo-play")
                          .lexically_normal()
                          .string());
  }

  constexpr double kShortSeconds = 2;
  std::printf("synthesizing %.0f s of 44.1 kHz stereo 128 kbit/s MP3...\n", seconds);
  const std::string mp3 = bench::SwellingToneMp3(seconds);
  const std::string shortMp3 = bench::SwellingToneMp3(kShortSeconds);
  ScratchDir dir;
  const std::string path = (dir / "bench.mp3").string();
  const std::string shortPath = (dir / "short.mp3").string();
  std::ofstream(path, std::ios::binary) << mp3;
  std::ofstream(shortPath, std::ios::binary) << shortMp3;
  tools::LoopbackFileServer server(path);
  tools::LoopbackFileServer shortServer(shortPath);
  if (mp3.empty() || shortMp3.empty() || seconds <= kShortSeconds || !server.start() || !shortServer.start()) {
    std::fprintf(stderr, "cannot prepare the benchmark file\n");
    return 1;
  }
  std::printf("%zu bytes, served at %s\n\n", mp3.size(), server.url().c_str());

  double bare = 1e9, peer = 1e9;
  std::vector<double> streamed(players.size(), 1e9), streamedShort(players.size(), 1e9);
  std::vector<long> peakRss(players.size(), 0);
  uint64_t checksum = 0;
  // One play of `url` by player `p`: its CPU seconds, or < 0 when it failed.
  auto play = [&](size_t p, const std::string& url) {
    const std::string report = (dir / "play.txt").string();
    ChildCost cost = RunChild({players[p], url, "--null", "--speed", "0", "--quiet", "--stats"}, report);
    if (cost.cpuSeconds < 0 || !WIFEXITED(cost.status) || WEXITSTATUS(cost.status) != 0) {
      std::fprintf(stderr, "%s failed (status %d)\n", players[p].c_str(), cost.status);
      return -1.0;
    }
    // The child's own high-water mark: rusage's would include this process's memory.
    const std::string text = ReadWhole(report);
    const size_t at = text.find("peak RSS: ");
    if (at != std::string::npos) peakRss[p] = std::max(peakRss[p], std::atol(text.c_str() + at + 10));
    return cost.cpuSeconds;
  };
  for (int run = 0; run < runs; ++run) {
    bare = std::min(bare, BareLibmadSeconds(mp3, checksum));
    for (size_t p = 0; p < players.size(); ++p) {
      const double whole = play(p, server.url());
      const double brief = play(p, shortServer.url());
      if (whole < 0 || brief < 0) return 1;
      streamed[p] = std::min(streamed[p], whole);
      streamedShort[p] = std::min(streamedShort[p], brief);
    }
    ChildCost mpg123 = RunChild({"mpg123", "-q", "-t", path});
    if (mpg123.cpuSeconds >= 0) peer = std::min(peer, mpg123.cpuSeconds);
  }
  std::printf("CPU seconds, best of %d runs (%.0f s of audio):\n", runs, seconds);
  std::printf("  bare libmad loop                 %6.3f s\n", bare);
  for (size_t p = 0; p < players.size(); ++p) {
    const char* gap = players.size() > 1 ? "  " : "";
    const char* name = players.size() > 1 ? players[p].c_str() : "";
    std::printf("  StreamPlayer path (vornalo-play) %6.3f s   %.2fx the bare loop (target <= 1.05x)%s%s\n",
                streamed[p], streamed[p] / bare, gap, name);
    // Per second of audio between the two lengths, for the long one's length.
    const double playing = (streamed[p] - streamedShort[p]) * seconds / (seconds - kShortSeconds);
    std::printf("    less the cost of any run      %6.3f s   %.2fx the bare loop (%.1f ms a run)%s%s\n", playing,
                playing / bare, (streamed[p] - playing) * 1e3, gap, name);
  }
  if (peer < 1e9) {
    std::printf("  mpg123 -t                        %6.3f s   %.2fx the bare loop\n", peer,
                peer / bare);
  } else {
    std::printf("  mpg123 -t                        not available\n");
  }
  for (size_t p = 0; p < players.size(); ++p) {
    std::printf("peak RSS of vornalo-play: %.1f MB (target <= 16 MB)%s%s\n", peakRss[p] / 1024.0,
                players.size() > 1 ? "  " : "", players.size() > 1 ? players[p].c_str() : "");
  }
  return 0;
}
