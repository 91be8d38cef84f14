#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace soak {

// Checks what the client keeps on disk after a run, with the project's own loaders: the
// Current Playlist file in `dataDirectory` (whole title and records, or no file) and the
// settings store in `configDirectory` (parses; the phone's call count is the last one set,
// when one was). Returns the faults found, empty when none. Left-over temporary files of an
// interrupted save are listed in `notes`.
std::string CheckSavedFiles(const std::filesystem::path& dataDirectory, const std::filesystem::path& configDirectory,
                            std::optional<std::uint32_t> lastCallCount, std::string& notes);

// The client's debug lines about Current Playlist entries that failed to start ("entry I
// failed to start (K in a row of N)"). Playback stops after one pass of failures, so K never
// exceeds N: more would be the playlist cycling through failures.
struct FailedStarts {
  std::size_t total = 0;
  std::size_t mostInARow = 0;
  // Reads the debug output of one run; returns the faults found, empty when none.
  std::string Check(const std::filesystem::path& log);
};

}  // namespace soak
