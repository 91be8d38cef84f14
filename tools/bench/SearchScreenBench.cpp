// The client's share of a search: from Enter in the new-search panel to the results page
// painted, over a catalogue server with 100,000 generated tracks on 127.0.0.1, beside the
// server's own time for the same request (its API handler, measured inside the server in the
// same run). The client is the real Application on a headless window.
//
//   vornalo-bench-search-screen [rows] [queries]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/AppContext.h"
#include "app/Application.h"
#include "app/AppResources.h"
#include "core/AppSettings.h"
#include "core/ScreenMetrics.h"
#include "platform/RegistryStore.h"
#include "platform/TextCodec.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/window/Window.h"
#include "server/CatalogueApi.h"
#include "server/CatalogueIndex.h"
#include "server/HttpDaemon.h"
#include "server/ServerOptions.h"
#include "tools/bench/Statistics.h"
#include "tools/bench/ZipfPhrases.h"
#include "ui/BlendBuffer.h"
#include "ui/ResourcePaths.h"

namespace {

constexpr int kDefaultRows = 100000;
constexpr int kDefaultQueries = 50;
constexpr int kVocabulary = 20000;

using Millis = std::chrono::duration<double, std::milli>;

platform::InputEvent Key(std::uint32_t key) {
  platform::InputEvent event;
  event.type = platform::InputEvent::Type::kKeyDown;
  event.key = key;
  return event;
}

int FixedId(std::uint8_t* out, std::size_t* length) {
  for (std::size_t i = 0; i < 20; ++i) out[i] = static_cast<std::uint8_t>(i);
  *length = 20;
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::atoi(argv[1]) : kDefaultRows;
  const int queryCount = argc > 2 ? std::atoi(argv[2]) : kDefaultQueries;
  std::mt19937 random(7);
  bench::ZipfPhrases phrases(random, kVocabulary);

  // The server: an in-memory index of generated tracks behind the real daemon.
  server::CatalogueIndex index;
  if (!index.Open(":memory:")) return 1;
  std::vector<std::string> titles;
  const std::int64_t generation = index.BeginScan();
  index.Begin();
  for (int i = 0; i < rows; ++i) {
    server::TrackTags tags;
    tags.title = phrases.Phrase(3 + static_cast<int>(random() % 2));
    tags.creator = phrases.Phrase(2);
    tags.album = phrases.Phrase(1 + static_cast<int>(random() % 3));
    tags.genre = phrases.WordAt(random() % 40);
    titles.push_back(tags.title);
    index.UpsertTrack("t/" + std::to_string(i) + ".mp3", 1, 1, tags, generation);
  }
  index.FinishScan(generation);
  index.Commit();

  const std::filesystem::path work = std::filesystem::temp_directory_path() / ("vornalo-bench-" + std::to_string(::getpid()));
  std::filesystem::create_directories(work);
  platform::RegistryStore store(work);
  core::AppSettings settings(store, FixedId);

  server::CatalogueQueries queries(index.Database());
  server::CatalogueApi api(queries, "/", {platform::Utf16ToUtf8(settings.apiKey), "", server::kDefaultArticleBase, "", "127.0.0.1"});
  // Guards searchMillis: written by the daemon's thread, read after each search.
  std::mutex timesLock;
  std::vector<double> searchMillis;
  server::HttpDaemon daemon;
  const bool started = daemon.Start({}, [&](const server::HttpRequest& request) {
    const auto start = std::chrono::steady_clock::now();
    server::HttpReply reply = api.Handle(request);
    const double ms = Millis(std::chrono::steady_clock::now() - start).count();
    if (request.Path() == "/api/wm_app/search") {
      std::lock_guard<std::mutex> lock(timesLock);
      searchMillis.push_back(ms);
    }
    return reply;
  });
  if (!started) return 1;

  // The client: the application on a headless window, portrait QVGA.
  core::MeasureScreen(240, 320);
  ui::ConfigureResourcePaths(core::scaleFactor, std::string(VORNALO_RESOURCE_ROOT) + "/qvga");
  std::unique_ptr<ui::BlendBuffer> blend = ui::BlendBuffer::Allocate(core::scaleFactor);
  ui::blendBuffer = blend.get();
  platform::HeadlessBackend backend;
  platform::Window window(backend, platform::Size{240, 320}, u"Vornalo Mobile");
  app::AppOptions options;
  options.audio = app::AppOptions::AudioOutput::kNull;
  app::AppContext context{window, settings, options, "http://127.0.0.1:" + std::to_string(daemon.Port()), work.string()};
  {
    app::Application application(context);
    window.Create(application);
    window.RunUntilIdle();

    std::vector<double> client, server, added;
    int found = 0;
    for (int q = 0; q < queryCount; ++q) {
      // A word of an indexed title, so that every search finds a page of results.
      const std::string& title = titles[random() % titles.size()];
      const std::string query = title.substr(0, title.find(' '));
      window.Post(platform::wm::kCommand, app::kNewSearchCommand, 0);
      window.RunUntilIdle();
      platform::InputEvent text;
      text.type = platform::InputEvent::Type::kText;
      text.text = query;
      window.HandleInput(text);
      window.RunUntilIdle();
      searchMillis.clear();

      const auto start = std::chrono::steady_clock::now();
      window.HandleInput(Key(platform::vk::kReturn));
      window.RunUntilIdle();
      const double total = Millis(std::chrono::steady_clock::now() - start).count();

      std::lock_guard<std::mutex> lock(timesLock);
      if (searchMillis.size() != 1) {
        std::fprintf(stderr, "query %d: %zu searches seen\n", q, searchMillis.size());
        continue;
      }
      client.push_back(total);
      server.push_back(searchMillis[0]);
      added.push_back(total - searchMillis[0]);
      std::vector<std::string> lines = window.DescribeScreen();
      found += std::any_of(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("row 0", 0) == 0; });
    }
    if (client.empty()) return 1;
    std::printf("%d tracks, %zu queries (%d with a results page), portrait QVGA, headless\n", rows, client.size(), found);
    std::printf("Enter to results painted: median %.2f ms  p95 %.2f ms\n", bench::Percentile(client, 0.5), bench::Percentile(client, 0.95));
    std::printf("server's own search:      median %.2f ms  p95 %.2f ms\n", bench::Percentile(server, 0.5), bench::Percentile(server, 0.95));
    std::printf("client adds:              median %.2f ms  p95 %.2f ms\n", bench::Percentile(added, 0.5), bench::Percentile(added, 0.95));
    window.Destroy();
  }
  ui::blendBuffer = nullptr;
  daemon.Stop();
  std::filesystem::remove_all(work);
  return 0;
}
