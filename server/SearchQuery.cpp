#include "server/SearchQuery.h"

namespace server {
namespace {

// ASCII letters and digits and every byte of a multi-byte UTF-8 sequence count as word
// bytes; the FTS tokenizer folds case and accents and splits at non-ASCII punctuation itself.
bool IsWordByte(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c >= 0x80;
}

bool IsContinuationByte(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::vector<std::string> SearchQuery::Words(std::string_view text) {
  if (text.size() > kMaxTextBytes) text = text.substr(0, kMaxTextBytes);
  std::vector<std::string> words;
  size_t i = 0;
  while (i < text.size() && words.size() < kMaxWords) {
    while (i < text.size() && !IsWordByte(static_cast<unsigned char>(text[i]))) ++i;
    const size_t begin = i;
    while (i < text.size() && IsWordByte(static_cast<unsigned char>(text[i]))) ++i;
    if (i == begin) break;
    std::string_view word = text.substr(begin, i - begin);
    if (word.size() > kMaxWordBytes) {
      size_t cut = kMaxWordBytes;
      while (cut > 0 && IsContinuationByte(static_cast<unsigned char>(word[cut]))) --cut;
      word = word.substr(0, cut);
    }
    if (!word.empty()) words.emplace_back(word);
  }
  return words;
}

std::string SearchQuery::MatchExpression(std::string_view text) {
  std::string expression;
  for (const std::string& word : Words(text)) {
    if (!expression.empty()) expression += ' ';
    // A word holds no '"' (it is a separator), so the quoting cannot be broken out of.
    expression += '"';
    expression += word;
    expression += "\"*";
  }
  return expression;
}

}  // namespace server
