// What serving other formats as MP3 costs: the transcoder's speed as a multiple of real time
// and its CPU per minute of audio (FLAC, 44.1 kHz stereo music, to 256 kbit/s MP3), then,
// through a running server, the time to the first byte of an uncached FLAC beside the same
// file cached and a plain MP3 file.
//
//   vornalo-bench-transcode [files] [seconds per file]
//
// The sources are synthesized and encoded with the ffmpeg CLI at start-up.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/ChildProcess.h"
#include "server/CatalogueServer.h"
#include "server/Transcoder.h"
#include "tools/bench/Statistics.h"
#include "tools/demo/DemoLibraryWriter.h"
#include "tools/demo/MusicSynth.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kDefaultFiles = 4;
constexpr double kDefaultSeconds = 180.0;
constexpr int kSourceRate = 44100;

double Since(Clock::time_point start) { return std::chrono::duration<double>(Clock::now() - start).count(); }

double ThreadCpuSeconds() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return now.tv_sec + now.tv_nsec / 1e9;
}

double ProcessCpuSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

bool WriteFlac(const fs::path& path, double seconds, uint32_t seed, const std::string& title) {
  demo::PieceSpec piece;
  piece.seed = seed;
  piece.seconds = seconds;
  piece.sampleRate = kSourceRate;
  const std::vector<int16_t> pcm = demo::MusicSynth::Render(piece);
  const fs::path raw = path.string() + ".raw";
  std::ofstream(raw, std::ios::binary).write(reinterpret_cast<const char*>(pcm.data()), pcm.size() * 2);
  platform::ChildProcess ffmpeg("ffmpeg",
                                {"-nostdin", "-loglevel", "error", "-y", "-f", "s16le", "-ar", "44100", "-ac", "2",
                                 "-i", raw.string(), "-c:a", "flac", "-metadata", "title=" + title, path.string()},
                                {}, {}, "/dev/null");
  ffmpeg.Wait();
  fs::remove(raw);
  return ffmpeg.ExitCode() == 0;
}

struct Fetch {
  double firstByte = -1;  // seconds from connect to the first body byte
  double whole = -1;
  size_t bytes = 0;
};

Fetch Get(uint16_t port, const std::string& path) {
  Fetch fetch;
  const auto start = Clock::now();
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (fd < 0 || ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return fetch;
  const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string head;
  bool inBody = false;
  char buffer[65536];
  for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
    if (!inBody) {
      head.append(buffer, static_cast<size_t>(got));
      const size_t end = head.find("\r\n\r\n");
      if (end == std::string::npos) continue;
      inBody = true;
      fetch.bytes = head.size() - end - 4;
      if (fetch.bytes > 0) fetch.firstByte = Since(start);
      continue;
    }
    if (fetch.firstByte < 0) fetch.firstByte = Since(start);
    fetch.bytes += static_cast<size_t>(got);
  }
  fetch.whole = Since(start);
  ::close(fd);
  return fetch;
}

}  // namespace

int main(int argc, char** argv) {
  const int files = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultFiles;
  const double seconds = argc > 2 ? std::max(1.0, std::atof(argv[2])) : kDefaultSeconds;
  const fs::path root = fs::temp_directory_path() / ("vornalo-bench-transcode-" + std::to_string(getpid()));
  fs::create_directories(root / "music");
  std::fprintf(stderr, "making %d FLAC files of %.0f s and one MP3...\n", files, seconds);
  for (int i = 0; i < files; ++i) {
    if (!WriteFlac(root / "music" / ("f" + std::to_string(i) + ".flac"), seconds, 100 + i, "Flac" + std::to_string(i))) {
      std::fprintf(stderr, "ffmpeg failed\n");
      return 1;
    }
  }
  demo::DemoTrack mp3;
  mp3.relativePath = "plain.mp3";
  mp3.title = "Plain";
  mp3.piece.seconds = 30;
  const std::vector<uint8_t> mp3Bytes = demo::DemoLibraryWriter::Encode(mp3);
  std::ofstream(root / "music/plain.mp3", std::ios::binary)
      .write(reinterpret_cast<const char*>(mp3Bytes.data()), static_cast<std::streamsize>(mp3Bytes.size()));

  // The transcoder alone, on this thread.
  std::vector<double> speeds, cpuPerMinute;
  for (int i = 0; i < files; ++i) {
    server::Transcoder transcoder;
    std::string error;
    const auto start = Clock::now();
    const double cpu = ThreadCpuSeconds();
    size_t bytes = 0;
    if (!transcoder.Open((root / "music" / ("f" + std::to_string(i) + ".flac")).string(), 256, error) ||
        !transcoder.Run([&bytes](const char*, size_t size) { return (bytes += size), true; }, nullptr, error)) {
      std::fprintf(stderr, "transcode failed: %s\n", error.c_str());
      return 1;
    }
    const double wall = Since(start), used = ThreadCpuSeconds() - cpu;
    speeds.push_back(seconds / wall);
    cpuPerMinute.push_back(used / (seconds / 60.0));
  }

  // Through the server: the first request of each file is uncached.
  server::CatalogueServer catalogue;
  server::ServerOptions options;
  options.library = root / "music";
  options.dbPath = (root / "index.sqlite").string();
  options.watch = false;
  if (!catalogue.Start(options)) return 1;
  std::vector<double> uncached, cached, plain, serverCpu;
  for (int i = 0; i < files; ++i) {
    const std::string path = "/stream/" + std::to_string(i + 1) + ".mp3";
    const double cpu = ProcessCpuSeconds();
    uncached.push_back(Get(catalogue.Port(), path).firstByte);
    serverCpu.push_back((ProcessCpuSeconds() - cpu) / (seconds / 60.0));
    cached.push_back(Get(catalogue.Port(), path).firstByte);
    plain.push_back(Get(catalogue.Port(), "/stream/" + std::to_string(files + 1) + ".mp3").firstByte);
  }
  catalogue.Stop();
  fs::remove_all(root);

  std::printf("transcode FLAC 44.1 kHz stereo -> MP3 256 kbit/s, %d files of %.0f s:\n", files, seconds);
  std::printf("  speed: median %.0fx real time (min %.0fx)\n", bench::Percentile(speeds, 0.5),
              bench::Percentile(speeds, 0));
  std::printf("  CPU per minute of audio: transcoder %.2f s, whole server for one listener %.2f s\n",
              bench::Percentile(cpuPerMinute, 0.5), bench::Percentile(serverCpu, 0.5));
  std::printf("time to first byte (median / max over %d requests):\n", files);
  std::printf("  uncached FLAC: %.1f / %.1f ms\n", 1000 * bench::Percentile(uncached, 0.5),
              1000 * bench::Percentile(uncached, 1));
  std::printf("  cached FLAC:   %.1f / %.1f ms\n", 1000 * bench::Percentile(cached, 0.5), 1000 * bench::Percentile(cached, 1));
  std::printf("  plain MP3:     %.1f / %.1f ms\n", 1000 * bench::Percentile(plain, 0.5), 1000 * bench::Percentile(plain, 1));
  return 0;
}
