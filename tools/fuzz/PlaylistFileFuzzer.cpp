// The Current Playlist file (data.dat) decoder: any bytes give a title of at most 127 code
// units and whole records, and what it gives encodes and decodes to the same again.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "playlist/PlaylistFile.h"
#include "tools/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const playlist::playlistfile::Contents contents = playlist::playlistfile::Decode(std::string(reinterpret_cast<const char*>(data), size));
  fuzz::Require(contents.title.size() <= playlist::playlistfile::kTitleMaxChars);
  std::vector<const catalogue::AudioCueRecord*> records;
  for (const auto& record : contents.records) records.push_back(record.get());
  const playlist::playlistfile::Contents again = playlist::playlistfile::Decode(playlist::playlistfile::Encode(contents.title, records));
  fuzz::Require(again.records.size() == contents.records.size());
  if (!records.empty()) fuzz::Require(again.title == contents.title);
  for (std::size_t i = 0; i < records.size(); ++i) {
    fuzz::Require(std::memcmp(again.records[i].get(), records[i], sizeof(catalogue::AudioCueRecord)) == 0);
  }
  return 0;
}
