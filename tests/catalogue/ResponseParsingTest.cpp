#include <gtest/gtest.h>
#include <malloc.h>

#include <string>

#include "catalogue/CueListTracksRequest.h"
#include "catalogue/FeaturedCueListsRequest.h"
#include "catalogue/SearchRequest.h"
#include "tests/support/TestSettings.h"

namespace {

using testsupport::TestSettings;

std::string Text(const char (&slot)[catalogue::kTextSlotSize]) { return std::string(catalogue::SlotText(slot)); }

class ResponseParsingTest : public ::testing::Test {
 protected:
  int Parse(catalogue::XmlReader& request, const std::string& document) {
    return request.parse(document.data(), document.size());
  }
  TestSettings settings_;
  catalogue::SearchRequest search_{"http://127.0.0.1:1", settings_.settings};
  catalogue::FeaturedCueListsRequest featured_{"http://127.0.0.1:1", settings_.settings};
  catalogue::CueListTracksRequest tracks_{"http://127.0.0.1:1", settings_.settings};
};

TEST_F(ResponseParsingTest, FeaturedReplyFillsCueListRecords) {
  Parse(featured_, R"(<?xml version="1.0" encoding="UTF-8"?>
<featured><total_cuelist_count>42</total_cuelist_count><error>none</error>
<result_list_item><title>Simon &amp; Garfunkel
Live</title><playlist_id>77</playlist_id><publish_date>2009-12-25</publish_date>
<item_count>12</item_count><location>http://x/l</location><uid>u-1</uid><extra>e</extra>
</result_list_item>
<result_list_item><title>Caf&#xE9; Tunes</title><item_count>x</item_count></result_list_item>
</featured>)");
  EXPECT_EQ(featured_.totalCount, 42);
  ASSERT_EQ(featured_.resultCount(), 2u);
  const catalogue::CueListRecord& first = *featured_.itemAt(0);
  EXPECT_EQ(Text(first.title), "Simon & Garfunkel\nLive");  // every run up to the end tag
  EXPECT_EQ(Text(first.playlist_id), "77");
  EXPECT_EQ(Text(first.publish_date), "2009-12-25");
  EXPECT_EQ(first.item_count, 12);
  EXPECT_EQ(Text(first.location), "http://x/l");
  EXPECT_EQ(Text(first.uid), "u-1");
  const catalogue::CueListRecord& second = *featured_.itemAt(1);
  EXPECT_EQ(Text(second.title), "Caf\xC3\xA9 Tunes");
  EXPECT_EQ(second.item_count, 0);
  EXPECT_EQ(Text(second.uid), "");
  EXPECT_EQ(featured_.itemAt(2), nullptr);
}

TEST_F(ResponseParsingTest, TrackReplyFillsAudioCuesWithoutSongId) {
  Parse(tracks_, R"(<playlist>
<track><location>http://x/1.mp3</location><title>One</title><album>
</album><genre>Rock</genre><composer>C</composer><creator>A</creator><mp3_url_id>m1</mp3_url_id></track>
<track><location>http://x/2.mp3</location><title>Two</title></track>
</playlist>)");
  ASSERT_EQ(tracks_.resultCount(), 2u);
  const catalogue::AudioCueRecord& one = *tracks_.itemAt(0);
  EXPECT_EQ(Text(one.album), "");  // a line feed alone is no album
  EXPECT_EQ(Text(one.genre), "Rock");
  EXPECT_EQ(Text(one.creator), "A");
  EXPECT_EQ(Text(one.mp3_url_id), "m1");
  EXPECT_EQ(Text(one.song_id), "");
  const catalogue::AudioCueRecord& two = *tracks_.itemAt(1);
  EXPECT_EQ(Text(two.location), "http://x/2.mp3");
  EXPECT_EQ(Text(two.genre), "");  // nothing carried over from the track before
  EXPECT_EQ(Text(two.mp3_url_id), "");
}

TEST_F(ResponseParsingTest, SearchReplyBuildsEachKindAndSkipsUnknownOnes) {
  Parse(search_, R"(<search><filter_count_total>57</filter_count_total>
<result_list_item><media>audio</media><location>http://x/a.mp3</location><title>Song</title>
<creator>Artist</creator><genre>Pop</genre><mp3_url_id>9</mp3_url_id></result_list_item>
<result_list_item><media>playlist</media><title>List</title><playlist_id>p5</playlist_id>
<item_count>8</item_count><location>http://x/p</location><publish_date>2009-12-25</publish_date>
<uid>u-9</uid></result_list_item>
<result_list_item><media>video</media><title>Skipped</title></result_list_item>
<result_list_item><title>No media: skipped too</title></result_list_item>
<result_list_item><media>text</media><title>Article</title><location>http://w/a</location></result_list_item>
<result_list_item><media>audio</media><title>Second</title><song_id>s2</song_id></result_list_item>
</search>)");
  EXPECT_EQ(search_.totalCount, 57);
  EXPECT_EQ(search_.totalReceived, 1);
  ASSERT_EQ(search_.resultCount(), 4u);

  ASSERT_EQ(search_.itemAt(0)->kind(), catalogue::kAudioCue);
  const catalogue::AudioCueRecord& song = *search_.itemAt(0)->audioCue();
  EXPECT_EQ(Text(song.title), "Song");
  EXPECT_EQ(Text(song.creator), "Artist");
  EXPECT_EQ(Text(song.song_id), "");

  ASSERT_EQ(search_.itemAt(1)->kind(), catalogue::kCueList);
  const catalogue::CueListRecord& list = *search_.itemAt(1)->cueList();
  EXPECT_EQ(Text(list.playlist_id), "p5");
  EXPECT_EQ(list.item_count, 8);
  EXPECT_EQ(Text(list.publish_date), "");  // only the featured reply carries these
  EXPECT_EQ(Text(list.uid), "");

  ASSERT_EQ(search_.itemAt(2)->kind(), catalogue::kTextCue);
  EXPECT_EQ(Text(search_.itemAt(2)->textCue()->location), "http://w/a");

  ASSERT_EQ(search_.itemAt(3)->kind(), catalogue::kAudioCue);
  EXPECT_EQ(Text(search_.itemAt(3)->audioCue()->song_id), "s2");
  EXPECT_EQ(Text(search_.itemAt(3)->audioCue()->location), "");  // not the previous item's
  EXPECT_EQ(search_.itemAt(4), nullptr);
}

// A flood of tiny items keeps one page (or the track cap), not one 4 KiB record per element.
TEST_F(ResponseParsingTest, FloodedRepliesKeepAPageOrTheTrackCap) {
  auto repeated = [](const std::string& element, int times) {
    std::string document = "<r>";
    for (int i = 0; i < times; ++i) document += element;
    return document + "</r>";
  };
  search_.pageSize = 10;
  featured_.pageSize = 10;
  tracks_.pageSize = 10;  // not a page: a CueList's tracks come whole up to the cap
  struct Case {
    const char* name;
    catalogue::CatalogueRequest* request;
    std::string document;
    std::size_t kept;
  } cases[] = {
      {"search", &search_, repeated("<result_list_item><media>text</media></result_list_item>", 50'000), 10},
      {"featured", &featured_, repeated("<result_list_item/>", 50'000), 10},
      {"tracks", &tracks_, repeated("<track/>", 30'000), catalogue::CatalogueRequest::kMaxReplyItems},
      {"tracks within the cap", &tracks_, repeated("<track/>", 25), 25},
  };
  for (Case& c : cases) {
    c.request->clearItems();
    Parse(*c.request, c.document);
    EXPECT_EQ(c.request->resultCount(), c.kept) << c.name;
  }
}

TEST_F(ResponseParsingTest, HugeTextIsCutAtACharacterBoundary) {
  std::string huge;
  for (int i = 0; i < 500'000; ++i) huge += "\xC3\xA9";  // 1 MB of 2-byte characters
  Parse(tracks_, "<p><track><title>" + huge + "</title><album>x" + std::string(600, 'a') + "</album></track></p>");
  ASSERT_EQ(tracks_.resultCount(), 1u);
  const catalogue::AudioCueRecord& track = *tracks_.itemAt(0);
  EXPECT_EQ(Text(track.title), huge.substr(0, 510));
  EXPECT_EQ(Text(track.album).size(), 511u);
  EXPECT_EQ(track.album[511], '\0');
}

TEST_F(ResponseParsingTest, DocumentsWithADoctypeAreRefusedBeforeExpansionEmptyOnesAreNot) {
  std::string bomb = R"(<?xml version="1.0"?><!DOCTYPE lolz [<!ENTITY lol "lol">)";
  std::string previous = "lol";
  for (int level = 1; level <= 9; ++level) {
    std::string name = "lol" + std::to_string(level);
    bomb += "<!ENTITY " + name + " \"";
    for (int i = 0; i < 10; ++i) bomb += "&" + previous + ";";
    bomb += "\">";
    previous = name;
  }
  bomb += "]><s><result_list_item><media>text</media><title>&lol9;</title></result_list_item></s>";
  const std::string megabyte = "<!DOCTYPE s [<!ENTITY big \"" + std::string(1 << 20, 'b') +
                               "\">]><s><filter_count_total>5</filter_count_total>"
                               "<result_list_item><media>text</media><title>&big;</title></result_list_item></s>";
  for (const std::string* document : {static_cast<const std::string*>(&bomb), &megabyte}) {
    search_.totalCount = 3;
    EXPECT_EQ(Parse(search_, *document), XML_STATUS_ERROR);
    EXPECT_TRUE(search_.refusedDoctype());
    EXPECT_EQ(search_.resultCount(), 0u);
    EXPECT_EQ(search_.totalCount, 3);
    EXPECT_EQ(search_.totalReceived, 0);
  }
  // A reply with no items after a refused one: an empty list that still counts as received.
  Parse(search_, "<s><filter_count_total>0</filter_count_total></s>");
  EXPECT_FALSE(search_.refusedDoctype());
  EXPECT_EQ(search_.resultCount(), 0u);
  EXPECT_EQ(search_.totalCount, 0);
  EXPECT_EQ(search_.totalReceived, 1);
}

// A cut or too deep document fails keeping the items before; the parser is freed each time.
TEST_F(ResponseParsingTest, TruncatedOrDeepDocumentsFailKeepingEarlierItemsAndTheParserIsFreed) {
  EXPECT_EQ(Parse(featured_, "<f><result_list_item><title>A</title></result_list_item>"
                             "<result_list_item><title>B</title></result_list_item><result_list_item><title>C</ti"),
            XML_STATUS_ERROR);
  ASSERT_EQ(featured_.resultCount(), 2u);
  EXPECT_EQ(Text(featured_.itemAt(1)->title), "B");
  auto nested = [](int depth) {
    std::string open, close;
    for (int i = 0; i < depth; ++i) {
      open += "<a>";
      close += "</a>";
    }
    return open + close;
  };
  const std::string item = "<result_list_item><media>text</media><title>T</title></result_list_item>";
  const int limit = static_cast<int>(catalogue::XmlReader::kMaxDepth);
  EXPECT_EQ(Parse(search_, "<s>" + item + nested(limit - 1) + item + "</s>"), XML_STATUS_OK);
  EXPECT_EQ(search_.resultCount(), 2u);
  search_.clearItems();
  EXPECT_EQ(Parse(search_, "<s>" + item + nested(limit) + item + "</s>"), XML_STATUS_ERROR);
  EXPECT_EQ(search_.resultCount(), 1u);
  search_.clearItems();

  // A 4 MB attribute makes expat buffer it whole.
  const std::string wide = "<s a=\"" + std::string(4 << 20, 'x') + "\">" + item + "</s>";
  auto inUse = [] {
    const struct mallinfo2 heap = mallinfo2();
    return heap.uordblks + heap.hblkhd;  // with the blocks mapped on their own
  };
  const std::size_t before = inUse();
  EXPECT_EQ(Parse(search_, wide), XML_STATUS_OK);
  EXPECT_LT(inUse(), before + (1 << 20));
}

TEST_F(ResponseParsingTest, CopiedItemsOutliveTheClearedList) {
  Parse(search_, "<s><result_list_item><media>audio</media><title>Keep</title></result_list_item></s>");
  ASSERT_EQ(search_.resultCount(), 1u);
  catalogue::ItemRef copy = *search_.itemAt(0);
  search_.clearItems();
  EXPECT_EQ(search_.resultCount(), 0u);
  ASSERT_EQ(copy.kind(), catalogue::kAudioCue);
  EXPECT_EQ(Text(copy.audioCue()->title), "Keep");
  EXPECT_EQ(copy.record(), copy.audioCue());
  EXPECT_EQ(copy.cueList(), nullptr);
}

}  // namespace
