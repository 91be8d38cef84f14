#include "playlist/PlaylistFile.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "tests/support/TempDir.h"

namespace {

std::unique_ptr<catalogue::AudioCueRecord> Record(const std::string& title, char fill = 0) {
  auto record = std::make_unique<catalogue::AudioCueRecord>();
  std::memset(record.get(), fill, sizeof *record);
  catalogue::CopyToSlot(record->title, title);
  catalogue::CopyToSlot(record->location, "http://127.0.0.1/" + title + ".mp3");
  catalogue::CopyToSlot(record->mp3_url_id, "id-" + title);
  return record;
}

std::vector<const catalogue::AudioCueRecord*> Pointers(const std::vector<std::unique_ptr<catalogue::AudioCueRecord>>& records) {
  std::vector<const catalogue::AudioCueRecord*> out;
  for (const auto& r : records) out.push_back(r.get());
  return out;
}

TEST(PlaylistFile, LayoutIsTitleThenRawRecords) {
  std::vector<std::unique_ptr<catalogue::AudioCueRecord>> records;
  records.push_back(Record("one"));
  records.push_back(Record("two", '\x7f'));  // bytes after the terminators are kept too
  const std::string bytes = playlist::playlistfile::Encode(u"Mix \u00e9", Pointers(records));
  ASSERT_EQ(bytes.size(), 255u + 2 * 4096u);
  EXPECT_EQ(bytes.substr(0, 12), std::string("M\0i\0x\0 \0\xE9\0\0\0", 12));
  EXPECT_EQ(std::memcmp(bytes.data() + 255, records[0].get(), 4096), 0);
  EXPECT_EQ(std::memcmp(bytes.data() + 255 + 4096, records[1].get(), 4096), 0);
  EXPECT_EQ(bytes.substr(255 + 512, 4), std::string("one\0", 4));  // title slot at offset 512

  auto decoded = playlist::playlistfile::Decode(bytes);
  EXPECT_EQ(decoded.title, u"Mix \u00e9");
  ASSERT_EQ(decoded.records.size(), 2u);
  EXPECT_EQ(std::memcmp(decoded.records[1].get(), records[1].get(), 4096), 0);
}

TEST(PlaylistFile, LongTitlesKeepTheirFirst127Characters) {
  std::vector<std::unique_ptr<catalogue::AudioCueRecord>> records;
  records.push_back(Record("t"));
  for (std::size_t length : {126u, 127u, 128u, 300u}) {
    std::u16string title;
    for (std::size_t i = 0; i < length; ++i) title.push_back(static_cast<char16_t>(u'A' + i % 26));
    const std::string bytes = playlist::playlistfile::Encode(title, Pointers(records));
    ASSERT_EQ(bytes.size(), 255u + 4096u);
    auto decoded = playlist::playlistfile::Decode(bytes);
    EXPECT_EQ(decoded.title, title.substr(0, 127)) << length;
    EXPECT_EQ(decoded.records.size(), 1u);
    if (length < 127) {
      EXPECT_EQ(bytes[2 * length], 0);
    }
  }
  // A surrogate pair cut by the 127-character limit is not left half.
  std::u16string emoji = std::u16string(126, u'x') + u"\U0001F3B5";
  EXPECT_EQ(playlist::playlistfile::Decode(playlist::playlistfile::Encode(emoji, Pointers(records))).title,
            std::u16string(126, u'x'));
  // Unpaired high surrogates at the end: the title stays the same over every save and load.
  std::u16string unpaired = u"ab" + std::u16string(125, u'\xDADA');
  std::u16string title = playlist::playlistfile::Decode(playlist::playlistfile::Encode(unpaired, Pointers(records))).title;
  EXPECT_EQ(title, u"ab");
  EXPECT_EQ(playlist::playlistfile::Decode(playlist::playlistfile::Encode(title, Pointers(records))).title, title);
}

TEST(PlaylistFile, ShortFilesAndShortRecords) {
  // Only the title: an empty playlist with that title.
  std::string titleOnly(255, '\0');
  titleOnly[0] = 'H', titleOnly[2] = 'i';
  auto decoded = playlist::playlistfile::Decode(titleOnly);
  EXPECT_EQ(decoded.title, u"Hi");
  EXPECT_TRUE(decoded.records.empty());

  // Fewer than 255 bytes: the title read so far, an odd last byte ignored.
  decoded = playlist::playlistfile::Decode(std::string("O\0k\0!", 5));
  EXPECT_EQ(decoded.title, u"Ok");
  EXPECT_TRUE(decoded.records.empty());

  // A final short record is zero-filled, never filled from the record before it.
  auto full = Record("full", 'Z');
  std::string bytes = titleOnly + std::string(reinterpret_cast<const char*>(full.get()), 4096) +
                      std::string("http://x/short.mp3");
  decoded = playlist::playlistfile::Decode(bytes);
  ASSERT_EQ(decoded.records.size(), 2u);
  EXPECT_STREQ(decoded.records[1]->location, "http://x/short.mp3");
  for (std::size_t i = 18; i < 4096; ++i) {
    ASSERT_EQ(reinterpret_cast<const char*>(decoded.records[1].get())[i], 0) << i;
  }
  EXPECT_TRUE(playlist::playlistfile::Decode("").title.empty());
}

TEST(PlaylistFile, FailedSaveKeepsTheOldFileAndSaysWhy) {
  testsupport::TempDir dir;
  const auto file = dir / "data.dat";
  std::vector<std::unique_ptr<catalogue::AudioCueRecord>> records;
  records.push_back(Record("keep"));
  std::string error;
  ASSERT_TRUE(playlist::playlistfile::Save(file, u"Old", Pointers(records), error)) << error;
  const std::string before = testsupport::ReadFile(file);

  if (::geteuid() != 0) {
    ::chmod(dir.Path().c_str(), 0500);
    EXPECT_FALSE(playlist::playlistfile::Save(file, u"New", {}, error));
    EXPECT_FALSE(error.empty());
    ::chmod(dir.Path().c_str(), 0700);
    EXPECT_EQ(testsupport::ReadFile(file), before);
  }
  error.clear();
  EXPECT_FALSE(playlist::playlistfile::Save(dir / "missing-folder" / "data.dat", u"New", Pointers(records), error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
