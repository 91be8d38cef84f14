#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace server {

// Turns what a user typed into an FTS5 MATCH expression that can never be a syntax error:
// the text is split into words at every character that is not a letter or digit, and each
// word becomes a quoted prefix term ("word"*), all of them required. FTS5 operators, column
// filters and quotes in the text are thereby plain words or separators.
class SearchQuery {
 public:
  // The words of the text (at most kMaxWords, each cut to kMaxWordBytes on a UTF-8 boundary;
  // only the first kMaxTextBytes of the text are looked at).
  static std::vector<std::string> Words(std::string_view text);
  // "" when the text holds no word: such a search matches nothing.
  static std::string MatchExpression(std::string_view text);

  static constexpr size_t kMaxTextBytes = 1024;
  static constexpr size_t kMaxWords = 8;
  static constexpr size_t kMaxWordBytes = 64;
};

}  // namespace server
