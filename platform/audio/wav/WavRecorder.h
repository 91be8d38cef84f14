#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "platform/audio/PcmSink.h"

namespace platform {

// A recording in RIFF/WAVE files: samples go into the file at `path` until the format
// changes; a recording that goes on in another format continues in a new file numbered after
// the first ("out.wav", then "out-2.wav", "out-3.wav", ...), so every file holds one format
// under a header that says it and plays back as it was heard. The header's sizes are fixed
// whenever the file is closed (`Pause`, the destructor).
class WavRecorder {
 public:
  // Size of the header written before the samples.
  static constexpr uint32_t kHeaderBytes = 44;

  explicit WavRecorder(std::string path) : path_(std::move(path)) {}
  ~WavRecorder() { Pause(); }
  WavRecorder(const WavRecorder&) = delete;
  WavRecorder& operator=(const WavRecorder&) = delete;

  // The name of file `number` of the recording at `path` (1 is `path` itself).
  static std::string NumberedPath(const std::string& path, unsigned number);

  // Starts the recording afresh in `path` (`goOn` false), or goes on with it (`goOn` true):
  // after the samples so far when `format` is theirs, else in the next numbered file. False,
  // with a debug line, when the file cannot be made.
  bool Begin(const PcmFormat& format, bool goOn);
  // Appends samples (whole frames of the current format), or `frames` frames of silence.
  void Write(const uint8_t* data, uint32_t bytes);
  void WriteSilence(uint64_t frames);
  // Fixes the header and closes the file; a later `Begin` with `goOn` reopens it.
  void Pause();

  const PcmFormat& Format() const { return format_; }
  const std::string& CurrentPath() const { return currentPath_; }

 private:
  struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
  };

  void WriteHeader();

  const std::string path_;
  std::string currentPath_;
  unsigned number_ = 0;  // of the current file; 0 before the first `Begin`
  PcmFormat format_;
  std::unique_ptr<std::FILE, FileCloser> file_;
  uint64_t dataBytes_ = 0;
};

}  // namespace platform
