#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/ItemRecords.h"

namespace playlist {

// The Current Playlist file, "data.dat": no header, count or checksum. The first 255 bytes
// are the title as UTF-16LE (its first 127 code units and the low byte of the 128th;
// NUL-terminated when shorter), followed by one 4,096-byte AudioCueRecord per entry. The number
// of entries follows from the file size; an empty playlist is an empty file.
namespace playlistfile {

inline constexpr const char* kFileName = "data.dat";
inline constexpr std::size_t kTitleBytes = 255;
inline constexpr std::size_t kTitleMaxChars = 127;
inline constexpr std::size_t kRecordBytes = sizeof(catalogue::AudioCueRecord);

struct Contents {
  std::u16string title;
  std::vector<std::unique_ptr<catalogue::AudioCueRecord>> records;
};

// The whole file as bytes (empty when there are no records).
std::string Encode(const std::u16string& title, const std::vector<const catalogue::AudioCueRecord*>& records);

// Reads a file's bytes back. A file shorter than the title gives the title read so far and no
// records; a final record shorter than 4,096 bytes is zero-filled. At most 127 characters of
// title are taken, up to the first NUL; high surrogates left at the end without a pair are
// dropped.
Contents Decode(const std::string& bytes);

// Writes the file by atomic replace, so a failed or interrupted save keeps the previous file.
// False (with `error` set) when it could not be written.
bool Save(const std::filesystem::path& file, const std::u16string& title,
          const std::vector<const catalogue::AudioCueRecord*>& records, std::string& error);

// Nothing when the file does not exist or cannot be read.
std::optional<Contents> Load(const std::filesystem::path& file);

}  // namespace playlistfile

}  // namespace playlist
