#pragma once

#include <filesystem>
#include <string>

namespace bench {

// A tagged library of `tracks` short MP3 files for the scan and start-up benchmarks, laid out
// as "Artist NNN/Album NN/NN Title.mp3" (ten tracks an album, ten albums an artist). Files
// already there are kept, so a second run reuses them. The path of one track, to change.
std::string WriteGeneratedLibrary(const std::filesystem::path& root, int tracks);

}  // namespace bench
