#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace catalogue {

// The fixed-size item records of catalogue replies. Every text field is a 512-byte slot of
// NUL-terminated UTF-8 (at most 511 bytes); a field the reply did not supply is all zero.
// AudioCueRecord is also the record of the Current Playlist file, so its layout is a format.

inline constexpr std::size_t kTextSlotSize = 512;
inline constexpr std::size_t kTextSlotCapacity = kTextSlotSize - 1;

// Item kind codes.
enum ItemKind : std::int32_t {
  kNoItemKind = 0,
  kAudioCue = 1,
  kCueList = 2,
  kTextCue = 3,
};

struct AudioCueRecord {
  char location[kTextSlotSize];
  char title[kTextSlotSize];
  char creator[kTextSlotSize];  // the artist
  char album[kTextSlotSize];
  char genre[kTextSlotSize];
  char composer[kTextSlotSize];
  char mp3_url_id[kTextSlotSize];  // key of the stream-URL lookup
  char song_id[kTextSlotSize];     // search replies only
};

struct CueListRecord {
  char location[kTextSlotSize];
  char title[kTextSlotSize];
  char publish_date[kTextSlotSize];  // featured replies only
  char playlist_id[kTextSlotSize];   // key of the track-list request
  char uid[kTextSlotSize];           // featured replies only
  std::int32_t item_count;
};

struct TextCueRecord {
  char location[kTextSlotSize];  // the article's address
  char title[kTextSlotSize];
};

static_assert(sizeof(AudioCueRecord) == 4096, "AudioCueRecord is a 4,096-byte file record");
static_assert(offsetof(AudioCueRecord, location) == 0);
static_assert(offsetof(AudioCueRecord, title) == 512);
static_assert(offsetof(AudioCueRecord, creator) == 1024);
static_assert(offsetof(AudioCueRecord, album) == 1536);
static_assert(offsetof(AudioCueRecord, genre) == 2048);
static_assert(offsetof(AudioCueRecord, composer) == 2560);
static_assert(offsetof(AudioCueRecord, mp3_url_id) == 3072);
static_assert(offsetof(AudioCueRecord, song_id) == 3584);
static_assert(offsetof(CueListRecord, item_count) == 5 * kTextSlotSize);

// Writes `text` into `slot`, cut to at most 511 bytes without splitting a UTF-8 character,
// and zero-fills the rest.
void CopyToSlot(char (&slot)[kTextSlotSize], std::string_view text);
// The text held by a slot.
std::string_view SlotText(const char (&slot)[kTextSlotSize]);

}  // namespace catalogue
