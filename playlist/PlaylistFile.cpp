#include "playlist/PlaylistFile.h"

#include <cstring>
#include <fstream>
#include <iterator>

#include "platform/AtomicFile.h"

namespace playlist {

namespace playlistfile {

std::string Encode(const std::u16string& title, const std::vector<const catalogue::AudioCueRecord*>& records) {
  std::string bytes;
  if (records.empty()) return bytes;
  bytes.reserve(kTitleBytes + records.size() * kRecordBytes);
  // The title with its terminator, as little-endian code units, cut to 255 bytes.
  char titleBytes[kTitleBytes + 1] = {};
  const std::size_t units = std::min(title.size(), kTitleBytes / 2 + 1);
  for (std::size_t i = 0; i < units && 2 * i < sizeof titleBytes - 1; ++i) {
    titleBytes[2 * i] = static_cast<char>(title[i] & 0xFF);
    titleBytes[2 * i + 1] = static_cast<char>(title[i] >> 8);
  }
  bytes.append(titleBytes, kTitleBytes);
  for (const catalogue::AudioCueRecord* record : records) {
    bytes.append(reinterpret_cast<const char*>(record), kRecordBytes);
  }
  return bytes;
}

Contents Decode(const std::string& bytes) {
  Contents contents;
  const std::size_t titleLength = std::min(bytes.size(), kTitleBytes);
  for (std::size_t i = 0; i + 1 < titleLength && contents.title.size() < kTitleMaxChars; i += 2) {
    auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                      static_cast<unsigned char>(bytes[i + 1]) << 8);
    if (unit == 0) break;
    contents.title.push_back(unit);
  }
  // High surrogates at the end have no pair (the last may have lost it to the cut); all are
  // dropped, so that the title reads the same after every save.
  while (!contents.title.empty() && contents.title.back() >= 0xD800 && contents.title.back() <= 0xDBFF) {
    contents.title.pop_back();
  }
  for (std::size_t offset = kTitleBytes; offset < bytes.size(); offset += kRecordBytes) {
    auto record = std::make_unique<catalogue::AudioCueRecord>();
    std::memset(record.get(), 0, kRecordBytes);
    std::memcpy(record.get(), bytes.data() + offset, std::min(kRecordBytes, bytes.size() - offset));
    contents.records.push_back(std::move(record));
  }
  return contents;
}

bool Save(const std::filesystem::path& file, const std::u16string& title,
          const std::vector<const catalogue::AudioCueRecord*>& records, std::string& error) {
  return platform::WriteFileAtomically(file, Encode(title, records), error);
}

std::optional<Contents> Load(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return Decode(bytes);
}

}  // namespace playlistfile

}  // namespace playlist
