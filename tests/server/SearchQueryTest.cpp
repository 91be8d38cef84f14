#include "server/SearchQuery.h"

#include <gtest/gtest.h>

#include "server/CatalogueIndex.h"
#include "server/CatalogueQueries.h"

namespace {

using server::SearchQuery;

struct QueryCase {
  const char* input;
  const char* expression;
  int64_t matches;  // over the three titles below
};

class SearchQueryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(index_.Open(":memory:"));
    const int64_t generation = index_.BeginScan();
    int64_t n = 0;
    for (const char* title : {"Hello And Goodbye", "Title X", "Near Field Café"}) {
      server::TrackTags tags;
      tags.title = title;
      ASSERT_TRUE(index_.UpsertTrack("t" + std::to_string(++n) + ".mp3", 1, 1, tags, generation));
    }
    ASSERT_TRUE(index_.FinishScan(generation));
  }

  server::CatalogueIndex index_;
};

// Every FTS5 operator, quote and filter is a word or a separator; no input is a syntax error.
TEST_F(SearchQueryTest, HostileTextBecomesPlainPrefixWords) {
  const QueryCase cases[] = {
      {"hello", "\"hello\"*", 1}, {"\"hello", "\"hello\"*", 1}, {"hello AND", "\"hello\"* \"AND\"*", 1},
      {"NEAR(", "\"NEAR\"*", 1}, {"NEAR(hello goodbye, 2)", "\"NEAR\"* \"hello\"* \"goodbye\"* \"2\"*", 0},
      {"*", "", 0}, {"-hello", "\"hello\"*", 1}, {"title:x", "\"title\"* \"x\"*", 1}, {"^tit", "\"tit\"*", 1},
      {"he OR ti", "\"he\"* \"OR\"* \"ti\"*", 0}, {"CAFE", "\"CAFE\"*", 1},
      {"caf\xC3\xA9 near", "\"caf\xC3\xA9\"* \"near\"*", 1}, {"{title}: x", "\"title\"* \"x\"*", 1},
      {"   ", "", 0},
  };
  server::CatalogueQueries queries(index_.Database());
  for (const QueryCase& c : cases) {
    const std::string expression = SearchQuery::MatchExpression(c.input);
    EXPECT_EQ(expression, c.expression) << c.input;
    EXPECT_EQ(queries.CountTracks(expression), c.matches) << c.input;
    EXPECT_EQ(static_cast<int64_t>(queries.SearchTracks(expression, 0, 10).size()), c.matches) << c.input;
  }
}

TEST_F(SearchQueryTest, LongTextIsBoundedInWordsAndWordLength) {
  std::string text;
  for (int i = 0; i < 2000; ++i) text += "word ";  // 10 kB
  EXPECT_EQ(SearchQuery::Words(text).size(), SearchQuery::kMaxWords);

  std::string longWord;
  for (int i = 0; i < 50; ++i) longWord += "\xC3\xA9";  // 100 bytes
  const std::vector<std::string> words = SearchQuery::Words(longWord);
  ASSERT_EQ(words.size(), 1u);
  EXPECT_EQ(words[0].size(), SearchQuery::kMaxWordBytes) << "cut on a character boundary";
}

// Title above album above creator; all matches found; past the ranking limit still paging.
TEST(SearchRankingTest, TitleOutranksAlbumOutranksCreator) {
  server::CatalogueIndex index;
  ASSERT_TRUE(index.Open(":memory:"));
  const int64_t generation = index.BeginScan();
  struct Row {
    const char* title;
    const char* album;
    const char* creator;
  };
  const Row rows[] = {{"Quiet", "Quiet", "Ember"}, {"Quiet", "Ember", "Quiet"}, {"Ember", "Quiet", "Quiet"}};
  int n = 0;
  for (const Row& row : rows) {
    server::TrackTags tags;
    tags.title = row.title, tags.album = row.album, tags.creator = row.creator;
    ASSERT_TRUE(index.UpsertTrack("r" + std::to_string(++n) + ".mp3", 1, 1, tags, generation));
  }
  ASSERT_TRUE(index.FinishScan(generation));
  server::CatalogueQueries queries(index.Database());
  std::vector<std::string> order;
  for (const auto& track : queries.SearchTracks(SearchQuery::MatchExpression("emb"), 0, 10)) order.push_back(track.path);
  EXPECT_EQ(order, (std::vector<std::string>{"r3.mp3", "r2.mp3", "r1.mp3"}));
  std::vector<std::string> unranked;
  for (const auto& track : queries.SearchTracks(SearchQuery::MatchExpression("emb"), 1, 10, false)) {
    unranked.push_back(track.path);
  }
  EXPECT_EQ(unranked, (std::vector<std::string>{"r2.mp3", "r3.mp3"}));
}

}  // namespace
