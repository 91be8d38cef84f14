#pragma once

#include <cstddef>
#include <random>
#include <string>
#include <vector>

namespace bench {

// Phrases of random words drawn with Zipf frequencies (a few very common words, a long tail),
// as natural titles are: the search benchmarks' titles and queries. Draws from the caller's
// generator, so a seed gives the same phrases and the caller's own draws stay in step.
class ZipfPhrases {
 public:
  ZipfPhrases(std::mt19937& random, int vocabularySize) : random_(random) {
    std::vector<double> weights;
    for (int i = 0; i < vocabularySize; ++i) {
      vocabulary_.push_back(Word());
      weights.push_back(1.0 / (i + 1));
    }
    zipf_ = std::discrete_distribution<int>(weights.begin(), weights.end());
  }

  std::string Phrase(int words) {
    std::string text;
    for (int i = 0; i < words; ++i) text += (i ? " " : "") + vocabulary_[static_cast<std::size_t>(zipf_(random_))];
    return text;
  }
  // The n-th word of the vocabulary (0: the most common).
  const std::string& WordAt(std::size_t n) const { return vocabulary_[n]; }

 private:
  // 3 to 9 random letters.
  std::string Word() {
    std::string word;
    const int letters = 3 + static_cast<int>(random_() % 7);
    for (int i = 0; i < letters; ++i) word += static_cast<char>('a' + random_() % 26);
    return word;
  }

  std::mt19937& random_;
  std::vector<std::string> vocabulary_;
  std::discrete_distribution<int> zipf_;
};

}  // namespace bench
