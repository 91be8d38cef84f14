// vornalo-bench-toolkit: times the toolkit's drawing at VGA (480 x 640 portrait), each beside
// a plain copy of the same number of 32-bit pixels measured in the same run:
//  - one double-buffered Draw of a 5-row list with an icon and two text lines a row;
//  - a full-window repaint: tab bar, title strip, list and page control, one Draw each;
// and counts the heap allocations of the steady repaints (after the first, which renders
// the texts once).
//
//   vornalo-bench-toolkit [ROUNDS]

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "core/ScreenMetrics.h"
#include "platform/TextCodec.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/text/Font.h"
#include "platform/window/Window.h"
#include "tools/gallery/SampleList.h"
#include "ui/BlendBuffer.h"
#include "ui/PageControl.h"
#include "ui/ResourcePaths.h"
#include "ui/TabBar.h"
#include "ui/TitleStrip.h"

namespace {

std::atomic<bool> countAllocations{false};
std::atomic<long> allocations{0};

}  // namespace

// Counts every allocation made while counting is on.
// The replacements pair malloc with free; GCC cannot see that through operator new.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t size) {
  if (countAllocations.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* p = std::malloc(size == 0 ? 1 : size)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { ::operator delete(p); }
#pragma GCC diagnostic pop

namespace {

using Clock = std::chrono::steady_clock;
using platform::Rect;
constexpr int kDefaultRounds = 300;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

class NullProcedure : public platform::WindowProcedure {
 public:
  std::intptr_t OnMessage(platform::Window& window, const platform::Message& message) override {
    return window.DefaultProcedure(message);
  }
};

Rect Scaled(Rect r) { return Rect{r.left * 2, r.top * 2, r.right * 2, r.bottom * 2}; }

// A plain copy of `pixels` 32-bit pixels into the window, as rows of its width.
class PlainCopy {
 public:
  PlainCopy(std::int32_t width, std::int64_t pixels)
      : rows_(static_cast<std::int32_t>(pixels / width)), source_(width, rows_, platform::PixelFormat::kXrgb32) {}
  void Run(platform::Canvas& target) {
    platform::Canvas from(source_);
    target.BitBlt(0, 0, source_.Width(), rows_, from, 0, 0);
  }

 private:
  std::int32_t rows_;
  platform::Surface source_;
};

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
  core::MeasureScreen(480, 640);
  ui::ConfigureResourcePaths(core::scaleFactor, std::string(VORNALO_RESOURCE_ROOT) + "/vga");
  auto blend = ui::BlendBuffer::Allocate(core::scaleFactor);
  ui::blendBuffer = blend.get();
  platform::HeadlessBackend backend([](const std::string&) {});
  platform::Window window(backend, platform::Size{480, 640}, u"Vornalo Mobile");
  NullProcedure procedure;
  window.Create(procedure);
  window.RunUntilIdle();

  ui::TabBar bar;
  ui::TitleStrip title;
  gallery::SampleList list;
  ui::PageControl page;
  const Rect barRects[2] = {Scaled({0, 0, 320, 20}), Scaled({0, 0, 240, 20})};
  const Rect titleRects[2] = {Scaled({0, 20, 320, 67}), Scaled({0, 20, 240, 67})};
  const Rect listRects[2] = {Scaled({0, 67, 320, 166}), Scaled({0, 67, 240, 232})};
  const Rect pageRects[2] = {Scaled({4, 47, 320, 67}), Scaled({4, 47, 239, 67})};
  int result = bar.Create(barRects, 30, window, 0);
  const char* icons[4] = {"searchresults", "featuredstar", "currentplaylist", "player"};
  const char16_t* labels[4] = {u"Search Results", u"Featured", u"Current Playlist", u"Player"};
  for (int i = 0; i < 4 && result == 1; ++i) {
    result = bar.AddTab(labels[i], (std::string("\\tab_resources\\") + icons[i] + "_white_tab_icon_13x13.png").c_str(),
                        (std::string("\\tab_resources\\") + icons[i] + "_black_tab_icon_13x13.png").c_str());
  }
  bar.selected = 1;
  bar.SetThemeColourSource([] { return platform::Colour{0xD28E00}; });
  if (result == 1) result = title.Create(titleRects, window, 0);
  if (result == 1) result = list.Create(listRects, window, 0);
  if (result == 1) result = page.Create(pageRects, window, 0);
  if (result == 1) result = page.SetButtonImages("\\tab_resources\\page_button_normal.png", "\\tab_resources\\page_button_clickdown.png");
  if (result != 1) {
    std::fprintf(stderr, "cannot load the artwork from %s/vga (%d)\n", VORNALO_RESOURCE_ROOT, result);
    return 1;
  }
  title.SetTitle(u"Featured CueLists");
  for (int i = 0; i < 5; ++i) {
    list.AddItem(gallery::SampleRow{u"Sample Artist " + std::u16string(1, u'A' + i) + u" - Demo Album",
                                    u"Sample Track " + std::u16string(1, u'1' + i)});
  }
  list.selected = 2;
  page.itemCount = 7;

  platform::Canvas dc = window.GetDC();
  auto area = [](const Rect& r) { return static_cast<std::int64_t>(r.Width()) * r.Height(); };
  const std::int64_t listPixels = area(listRects[1]);
  const std::int64_t allPixels = area(barRects[1]) + area(titleRects[1]) + listPixels + area(pageRects[1]);
  PlainCopy listCopy(480, listPixels), allCopy(480, allPixels);

  // The first repaint renders every text once; the rounds after it are the steady state.
  bar.Draw(dc);
  title.Draw(dc);
  list.Draw(dc);
  page.Draw(dc);
  std::vector<double> listMs, listCopyMs, fullMs, fullCopyMs, barMs, titleMs, listInFullMs, pageMs;
  for (auto* v : {&listMs, &listCopyMs, &fullMs, &fullCopyMs, &barMs, &titleMs, &listInFullMs, &pageMs}) {
    v->reserve(static_cast<std::size_t>(rounds));
  }
  countAllocations = true;
  for (int i = 0; i < rounds; ++i) {
    auto t0 = Clock::now();
    list.Draw(dc);
    auto t1 = Clock::now();
    listCopy.Run(dc);
    auto t2 = Clock::now();
    bar.Draw(dc);
    auto t3 = Clock::now();
    title.Draw(dc);
    auto t4 = Clock::now();
    list.Draw(dc);
    auto t5 = Clock::now();
    page.Draw(dc);
    auto t6 = Clock::now();
    allCopy.Run(dc);
    auto t7 = Clock::now();
    listMs.push_back(Milliseconds(t1 - t0));
    listCopyMs.push_back(Milliseconds(t2 - t1));
    barMs.push_back(Milliseconds(t3 - t2));
    titleMs.push_back(Milliseconds(t4 - t3));
    listInFullMs.push_back(Milliseconds(t5 - t4));
    pageMs.push_back(Milliseconds(t6 - t5));
    fullMs.push_back(Milliseconds(t6 - t2));
    fullCopyMs.push_back(Milliseconds(t7 - t6));
  }
  countAllocations = false;

  // What the text cache saves: the list's ten texts rendered afresh, as an uncached draw would.
  auto infoFont = platform::Font::Create(24, 400), titleFont = platform::Font::Create(32, 700);
  std::vector<double> renderMs;
  platform::TextCoverage ink;
  for (int i = 0; i < std::min(rounds, 100); ++i) {
    auto t0 = Clock::now();
    for (const gallery::SampleRow& row : list.items) {
      infoFont->Render(platform::Utf16ToUtf8(row.info), ink);
      titleFont->Render(platform::Utf16ToUtf8(row.title), ink);
    }
    renderMs.push_back(Milliseconds(Clock::now() - t0));
  }

  std::printf("VGA 480x640 portrait, %d rounds, medians\n", rounds);
  std::printf("list Draw, 5 rows x 2 lines (%lld px):     %8.3f ms   plain copy of %lld px: %8.3f ms   ratio %6.1f\n",
              static_cast<long long>(listPixels), Median(listMs), static_cast<long long>(listPixels), Median(listCopyMs),
              Median(listMs) / Median(listCopyMs));
  std::printf("full repaint, 4 controls (%lld px):     %8.3f ms   plain copy of %lld px: %8.3f ms   ratio %6.1f (target <= 5 ms)\n",
              static_cast<long long>(allPixels), Median(fullMs), static_cast<long long>(allPixels), Median(fullCopyMs),
              Median(fullMs) / Median(fullCopyMs));
  std::printf("  of which: tab bar %.3f ms, title strip %.3f ms, list %.3f ms, page control %.3f ms\n", Median(barMs),
              Median(titleMs), Median(listInFullMs), Median(pageMs));
  std::printf("rendering the list's 10 texts afresh (kept rendered by the controls): %.3f ms\n", Median(renderMs));
  std::printf("heap allocations in %d steady repaints: %ld\n", rounds, allocations.load());
  ui::blendBuffer = nullptr;
  return 0;
}
