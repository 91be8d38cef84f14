#pragma once

#include <string>

#include "platform/audio/PcmSinkChoice.h"

namespace tools {

// The command line of vornalo-play.
struct PlayOptions {
  using Audio = platform::PcmSinkKind;

  std::string source;  // an http:// URL or a local file
  Audio audio = Audio::kSdl;
  std::string wavPath;
  double speed = -1;  // < 0: the sink's default (null: real time, WAV: unpaced)
  bool quiet = false;
  bool debug = false;
  bool stats = false;  // print the peak resident memory at the end
  bool help = false;
};

// Parses `argv`; false with `error` set when the line is not understood.
bool ParsePlayOptions(int argc, char** argv, PlayOptions& options, std::string& error);

extern const char kPlayUsage[];

}  // namespace tools
