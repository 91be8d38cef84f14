// Search latency over 100,000 generated track rows (no audio): p50 and p99 of whole searches
// (counts, page of 10, reply XML) for 1-, 2- and 3-word queries, as the server answers them;
// (wall clock, and the thread's CPU time, which a busy machine does not inflate); then the cost
// of the broadest queries (the most common title words). Each figure comes twice,
// for the index before and after its prefix indexes were widened, over the same rows and queries.
//
//   vornalo-bench-search [rows]

#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "server/CatalogueApi.h"
#include "server/CatalogueIndex.h"
#include "server/ServerOptions.h"
#include "tools/bench/Statistics.h"
#include "tools/bench/ZipfPhrases.h"

namespace {

constexpr int kDefaultRows = 100000;
constexpr int kVocabulary = 20000;
constexpr int kQueriesPerLength = 2000;

class BenchRequest : public server::HttpRequest {
 public:
  explicit BenchRequest(std::map<std::string, std::string> arguments) : arguments_(std::move(arguments)) {}
  std::string Method() const override { return "GET"; }
  std::string Path() const override { return "/api/wm_app/search"; }
  std::optional<std::string> Argument(const char* key) const override {
    const auto it = arguments_.find(key);
    return it == arguments_.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  std::optional<std::string> Header(const char*) const override { return std::nullopt; }

 private:
  std::map<std::string, std::string> arguments_;
};

struct Config {
  const char* name;
  std::string prefixLengths;
  bool cacheCounts;
};

// The calling thread's CPU time: unlike the wall clock it does not count the time other
// processes on a busy machine took from it.
double ThreadCpuMillis() {
  timespec now {};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

double Millis(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : kDefaultRows;
  std::mt19937 random(42);
  bench::ZipfPhrases phrases(random, kVocabulary);

  // The same rows and the same queries for every configuration.
  std::vector<server::TrackTags> tracks;
  std::vector<std::vector<std::string>> titles;
  for (int i = 0; i < rows; ++i) {
    server::TrackTags tags;
    tags.title = phrases.Phrase(3 + static_cast<int>(random() % 2));
    titles.emplace_back();
    for (size_t at = 0, end; at <= tags.title.size(); at = end + 1) {
      end = std::min(tags.title.find(' ', at), tags.title.size());
      titles.back().push_back(tags.title.substr(at, end - at));
    }
    tags.creator = phrases.Phrase(2);
    tags.album = phrases.Phrase(1 + static_cast<int>(random() % 3));
    tags.genre = phrases.WordAt(random() % 40);
    tracks.push_back(tags);
  }
  std::vector<std::vector<std::string>> queries(3);
  for (int words = 1; words <= 3; ++words) {
    for (int q = 0; q < kQueriesPerLength; ++q) {
      // Words of a title in the index (so multi-word queries find something), whole or cut.
      std::string query;
      const std::vector<std::string>& title = titles[random() % titles.size()];
      for (int w = 0; w < words; ++w) {
        std::string word = title[static_cast<size_t>(w)];
        if (random() % 2) word = word.substr(0, 3 + random() % (word.size() - 2));  // a prefix
        query += (w ? " " : "") + word;
      }
      queries[static_cast<size_t>(words - 1)].push_back(query);
    }
  }

  // Before: prefix indexes of 1 to 3 characters only, so a longer word merges the lists of
  // every term it begins, and every search counts its matches afresh. Then the wider prefix
  // indexes alone, then with remembered counts too: the server as it is.
  const Config configs[] = {{"before (prefix 1-3, no count cache)", "1 2 3", false},
                            {"prefix 1-12, no count cache", server::CatalogueIndex::kPrefixLengths, false},
                            {"after (prefix 1-12, count cache)", server::CatalogueIndex::kPrefixLengths, true}};
  std::map<std::string, std::string> lastBodies;
  for (const Config& config : configs) {
    server::CatalogueIndex index;
    if (!index.Open(":memory:", config.prefixLengths)) return 1;
    const auto buildStart = std::chrono::steady_clock::now();
    const int64_t generation = index.BeginScan();
    index.Begin();
    for (int i = 0; i < rows; ++i) {
      index.UpsertTrack("t/" + std::to_string(i) + ".mp3", 1, 1, tracks[static_cast<size_t>(i)], generation);
    }
    index.FinishScan(generation);
    index.Commit();
    std::printf("%s: %d rows built in %.1f s\n", config.name, rows, Millis(buildStart) / 1000);

    server::CatalogueQueries catalogueQueries(index.Database());
    catalogueQueries.SetCountCaching(config.cacheCounts);
    server::CatalogueApi api(catalogueQueries, "/", {"k", "", server::kDefaultArticleBase, "", "127.0.0.1"});
    int differing = 0;
    for (int words = 1; words <= 3; ++words) {
      std::vector<double> millis, cpuMillis;
      int64_t results = 0;
      for (const std::string& query : queries[static_cast<size_t>(words - 1)]) {
        const BenchRequest request(
            {{"q", query}, {"rm", "1"}, {"rp", "1"}, {"rt", "1"}, {"s", "0"}, {"n", "10"}, {"sk", "k"}});
        const double cpuStart = ThreadCpuMillis();
        const auto start = std::chrono::steady_clock::now();
        const server::HttpReply reply = api.Handle(request);
        millis.push_back(Millis(start));
        cpuMillis.push_back(ThreadCpuMillis() - cpuStart);
        results += reply.body.size() > 200;
        // Both configurations must give the same replies, byte for byte.
        std::string& last = lastBodies[query];
        if (!last.empty() && last != reply.body) ++differing;
        last = reply.body;
      }
      std::printf("  %d-word queries: p50 %.3f ms  p99 %.3f ms  max %.3f ms  (%lld of %d with results)\n", words,
                  bench::Percentile(millis, 0.5), bench::Percentile(millis, 0.99), bench::Percentile(millis, 1.0),
                  static_cast<long long>(results), kQueriesPerLength);
      std::printf("        CPU time: p50 %.3f ms  p99 %.3f ms  max %.3f ms\n", bench::Percentile(cpuMillis, 0.5),
                  bench::Percentile(cpuMillis, 0.99), bench::Percentile(cpuMillis, 1.0));
    }
    for (int rank = 0; rank < 3; ++rank) {
      const BenchRequest request({{"q", phrases.WordAt(rank)}, {"s", "0"}, {"n", "10"}, {"sk", "k"}});
      const auto start = std::chrono::steady_clock::now();
      const server::HttpReply reply = api.Handle(request);
      const double ms = Millis(start);
      const size_t total = reply.body.find("<filter_count_total>");
      std::printf("  broad query \"%s\" (%s matches): %.3f ms\n", phrases.WordAt(rank).c_str(),
                  reply.body.substr(total + 20, reply.body.find('<', total + 20) - total - 20).c_str(), ms);
    }
    if (&config != &configs[0]) std::printf("  replies differing from the first configuration: %d\n", differing);
  }
  return 0;
}
