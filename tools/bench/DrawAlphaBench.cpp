// vornalo-bench-drawalpha: times DrawAlpha of a full-window RGBA image at VGA (the 480 x 536
// application area) against a plain copy of the same number of 32-bit pixels, side by side in
// one run, and the composition of a full 480 x 640 screen for presenting.
//
//   vornalo-bench-drawalpha [ROUNDS]

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/AppResources.h"
#include "platform/headless/HeadlessBackend.h"
#include "platform/png/PngFile.h"
#include "platform/window/Window.h"
#include "ui/BlendBuffer.h"
#include "ui/PixelMapping.h"
#include "ui/STScreenBuffer.h"

namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 536;
constexpr int kDefaultRounds = 200;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// A full-window image with every alpha level, written as a PNG and decoded as the screens do.
bool MakeImage(const std::string& path) {
  std::vector<std::uint8_t> rgba(static_cast<std::size_t>(kWidth) * kHeight * 4);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * kWidth + x) * 4];
      p[0] = static_cast<std::uint8_t>(x);
      p[1] = static_cast<std::uint8_t>(y);
      p[2] = static_cast<std::uint8_t>(x + y);
      p[3] = static_cast<std::uint8_t>((x * 7 + y * 3) & 0xFF);
    }
  }
  std::string error;
  return platform::WritePng(path, kWidth, kHeight, platform::PngLayout::kRgba, rgba.data(), false, error);
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
  const std::string path = "/tmp/vornalo-bench-drawalpha-" + std::to_string(::getpid()) + ".png";
  if (!MakeImage(path)) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 1;
  }
  auto buffer = ui::BlendBuffer::Allocate(2);
  ui::blendBuffer = buffer.get();
  ui::STScreenBuffer image;
  bool loaded = image.LoadPng(path.c_str());
  std::remove(path.c_str());
  if (!loaded) {
    std::fprintf(stderr, "cannot decode the image\n");
    return 1;
  }

  platform::Surface window(kWidth, kHeight, platform::PixelFormat::kXrgb32);
  platform::Surface source(kWidth, kHeight, platform::PixelFormat::kXrgb32);
  platform::Canvas target(window);
  platform::Canvas copyFrom(source);
  target.FillRect(target.Bounds(), 0x336699);

  // Warm up both, then alternate them so that both see the same machine state.
  image.DrawAlpha(target, 0, 0);
  target.BitBlt(0, 0, kWidth, kHeight, copyFrom, 0, 0);
  Clock::duration blend{}, copy{};
  for (int i = 0; i < rounds; ++i) {
    auto t0 = Clock::now();
    image.DrawAlpha(target, 0, 0);
    auto t1 = Clock::now();
    target.BitBlt(0, 0, kWidth, kHeight, copyFrom, 0, 0);
    auto t2 = Clock::now();
    blend += t1 - t0;
    copy += t2 - t1;
  }
  const double blendMs = Milliseconds(blend) / rounds, copyMs = Milliseconds(copy) / rounds;

  platform::HeadlessBackend backend([](const std::string&) {});
  platform::Window screen(backend, platform::Size{480, 640}, u"Vornalo Mobile");
  screen.SetResources(app::VornaloResources());
  screen.SetMenuBar(app::kMainMenuBarResource);
  screen.Chrome().PressSoftKey(1);  // the Options menu open too
  screen.ComposeScreen();
  auto t0 = Clock::now();
  for (int i = 0; i < rounds; ++i) screen.ComposeScreen();
  const double presentMs = Milliseconds(Clock::now() - t0) / rounds;

  std::printf("DrawAlpha %dx%d RGBA at VGA:       %8.3f ms\n", kWidth, kHeight, blendMs);
  std::printf("plain copy of %d 32-bit pixels: %8.3f ms\n", kWidth * kHeight, copyMs);
  std::printf("ratio DrawAlpha / copy:            %8.2f (target <= 4)\n", blendMs / copyMs);
  std::printf("full 480x640 screen composition:   %8.3f ms (bars, client, menu)\n", presentMs);
  ui::blendBuffer = nullptr;
  return 0;
}
