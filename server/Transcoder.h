#pragma once

#include <atomic>
#include <functional>
#include <string>

#include "server/AudioSource.h"
#include "server/Mp3Layout.h"

namespace server {

// Makes the MP3 stream of one audio file: FFmpeg decodes, LAME encodes. Open() reads only the
// header, so the stream's layout (length in bytes, frame count) is known before any encoding;
// Run() then writes exactly that many bytes, Info frame first, whatever the decoder yields
// (the audio is cut or filled with silence to the length the header announced).
class Transcoder {
 public:
  // Takes bytes in order; false stops the run.
  using Sink = std::function<bool(const char* data, size_t size)>;

  bool Open(const std::string& path, int bitrateKbps, std::string& error);
  const Mp3Layout& Layout() const { return layout_; }
  // False, with the reason, when decoding or encoding fails, the sink refuses or *cancel
  // turns true.
  bool Run(const Sink& sink, const std::atomic<bool>* cancel, std::string& error);
  // Source samples the decoder delivered short of the header's length (filled with silence).
  int64_t Shortfall() const { return shortfall_; }

 private:
  AudioSource source_;
  Mp3Layout layout_;
  int64_t shortfall_ = 0;
};

}  // namespace server
