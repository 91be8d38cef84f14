#pragma once

#include <cstddef>
#include <cstring>

namespace catalogue {

// Codes of the reply fields the handlers read.
namespace fieldcode {

inline constexpr int kMedia = 1;
inline constexpr int kLocation = 2;
inline constexpr int kCreator = 3;
inline constexpr int kAlbum = 4;
inline constexpr int kGenre = 5;
inline constexpr int kComposer = 6;
inline constexpr int kMp3UrlId = 7;
inline constexpr int kSongId = 8;
inline constexpr int kTitle = 9;
inline constexpr int kPublishDate = 10;
inline constexpr int kPlaylistId = 11;
inline constexpr int kUid = 12;
inline constexpr int kItemCount = 13;
inline constexpr int kTotal = 14;  // the reply's total count
inline constexpr int kSlotCount = 15;

// The field code of element `name` among `table` (pairs of name and code); 0 when absent.
struct Entry {
  const char* name;
  int code;
};
template <std::size_t N>
int Lookup(const Entry (&table)[N], const char* name) {
  for (const Entry& entry : table) {
    if (std::strcmp(entry.name, name) == 0) return entry.code;
  }
  return 0;
}

}  // namespace fieldcode

}  // namespace catalogue
