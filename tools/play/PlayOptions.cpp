#include "tools/play/PlayOptions.h"

#include <cstdlib>
#include <cstring>

namespace tools {

const char kPlayUsage[] =
    "usage: vornalo-play URL|FILE [options]\n"
    "Plays one MP3 stream (an http:// URL, or a local file served over loopback).\n"
    "\n"
    "  --audio OUT                where the sound goes: sdl (default), null, wav:FILE or\n"
    "                             wav-realtime:FILE (real time, silence included)\n"
    "  --wav FILE                 same as --audio wav:FILE\n"
    "  --null                     same as --audio null\n"
    "  --speed N                  null and WAV output: play N times faster than real time\n"
    "                             (0 = as fast as possible; default 1 for null, 0 for WAV)\n"
    "  --quiet                    print no progress line\n"
    "  --debug                    debug output on stderr\n"
    "  --stats                    print the peak resident memory when done\n"
    "  --help                     this text\n"
    "\n"
    "In a terminal Space pauses and resumes, Left and Right go 10 s back and forward.\n"
    "Exit status: 0 when the track played to its end, 1 when it could not start, 2 on a usage\n"
    "error.\n";

bool ParsePlayOptions(int argc, char** argv, PlayOptions& options, std::string& error) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) {
        error = arg + " needs a value";
        return false;
      }
      out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--quiet") {
      options.quiet = true;
    } else if (arg == "--debug") {
      options.debug = true;
    } else if (arg == "--stats") {
      options.stats = true;
    } else if (arg == "--null") {
      options.audio = PlayOptions::Audio::kNull;
    } else if (arg == "--wav") {
      if (!value(options.wavPath)) return false;
      options.audio = PlayOptions::Audio::kWav;
    } else if (arg == "--audio") {
      if (!value(text)) return false;
      const std::optional<platform::PcmSinkChoice> choice = platform::ParsePcmSinkChoice(text);
      if (!choice) {
        error = "--audio takes sdl, null, wav:FILE or wav-realtime:FILE";
        return false;
      }
      options.audio = choice->kind;
      options.wavPath = choice->wavPath;
    } else if (arg == "--speed") {
      if (!value(text)) return false;
      char* end = nullptr;
      options.speed = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0' || options.speed < 0) {
        error = "--speed takes a number >= 0";
        return false;
      }
    } else if (!arg.empty() && arg[0] == '-') {
      error = "unknown option " + arg;
      return false;
    } else if (options.source.empty()) {
      options.source = arg;
    } else {
      error = "only one URL or file can be played";
      return false;
    }
  }
  if (!options.help && options.source.empty()) {
    error = "no URL or file given";
    return false;
  }
  return true;
}

}  // namespace tools
