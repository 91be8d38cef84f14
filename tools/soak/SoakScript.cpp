#include "tools/soak/SoakScript.h"

#include <array>

namespace soak {
namespace {

constexpr std::int32_t kBarHeight = 26;

// Words of the demo library's titles and artists, and a few that match nothing.
const std::array<const char*, 12> kSearchWords = {"blue", "tide",  "rain", "café",  "orbit", "song",
                                                  "the",  "étude", "zzqx", "light", "a",     "x y"};

enum class Kind { kTap, kStroke, kKey, kText, kSoftKey, kMenu, kAnswer, kRotate, kCall, kWait, kDump, kServer };

struct Weight {
  Kind kind;
  int weight;
};

// What people do most: tap, move through lists with the arrows and Enter, scroll.
constexpr std::array<Weight, 12> kWeights = {{{Kind::kTap, 30},
                                              {Kind::kStroke, 12},
                                              {Kind::kKey, 30},
                                              {Kind::kText, 4},
                                              {Kind::kSoftKey, 7},
                                              {Kind::kMenu, 6},
                                              {Kind::kAnswer, 1},
                                              {Kind::kRotate, 1},
                                              {Kind::kCall, 1},
                                              {Kind::kWait, 4},
                                              {Kind::kDump, 1},
                                              {Kind::kServer, 2}}};  // only with outages

}  // namespace

SoakScript::SoakScript(std::uint64_t seed, std::int32_t width, std::int32_t height, bool outages)
    : state_(seed), width_(width), height_(height), outages_(outages) {}

const std::vector<std::string>& SoakScript::MenuLabels() {
  static const std::vector<std::string> kLabels = {
      "New Search", "Options", "Clear Current Playlist", "Player Skins...", "Color Themes... (C key)",
      "About",      "Cancel",  "Help (Launches Browser)..."};
  return kLabels;
}

std::int32_t SoakScript::Uniform(std::int32_t low, std::int32_t high) {
  // splitmix64: the same numbers on every platform and library.
  state_ += 0x9E3779B97F4A7C15ull;
  std::uint64_t z = state_;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  z ^= z >> 31;
  const std::uint64_t span = static_cast<std::uint64_t>(high - low) + 1;
  return low + static_cast<std::int32_t>(z % span);
}

std::int32_t SoakScript::ClientWidth() const { return rotated_ ? height_ : width_; }
std::int32_t SoakScript::ClientHeight() const {
  // The bars double on the VGA screens, as the window draws them.
  const bool large = width_ == 640 || width_ == 800 || height_ == 640 || height_ == 800;
  return (rotated_ ? width_ : height_) - 2 * kBarHeight * (large ? 2 : 1);
}

std::string SoakScript::TapLine() {
  const std::int32_t w = ClientWidth(), h = ClientHeight();
  std::int32_t y = Uniform(0, h - 1);
  const int where = Uniform(0, 9);
  if (where < 3) y = Uniform(0, 30);           // the tab bar and the rows under it
  else if (where < 5) y = Uniform(h - 40, h - 1);  // the controls along the bottom
  return "tap " + std::to_string(Uniform(0, w - 1)) + " " + std::to_string(y);
}

std::string SoakScript::StrokeLine() {
  const std::int32_t w = ClientWidth(), h = ClientHeight();
  const std::int32_t x0 = Uniform(10, w - 10), y0 = Uniform(30, h - 10);
  if (Uniform(0, 4) == 0) {  // sideways, as between tabs
    return "stroke " + std::to_string(x0) + " " + std::to_string(y0) + " " + std::to_string(Uniform(0, w - 1)) +
           " " + std::to_string(y0 + Uniform(-10, 10));
  }
  return "stroke " + std::to_string(x0) + " " + std::to_string(y0) + " " + std::to_string(x0 + Uniform(-8, 8)) +
         " " + std::to_string(Uniform(0, h - 1));
}

std::string SoakScript::KeyLine() {
  // Mostly moving through lists and choosing; About (Ctrl+A) holds the screen until dismissed.
  static const std::array<const char*, 24> kKeys = {
      "Up",    "Down", "Up",   "Down",  "Down",  "Up",    "Enter", "Enter", "Enter",  "Left", "Right", "Left",
      "Right", "Down", "Up",   "Escape", "Back", "Tab",   "Space", "Home",  "End",    "C",    "Ctrl+A", "Ctrl+R"};
  return std::string("key ") + kKeys[static_cast<std::size_t>(Uniform(0, kKeys.size() - 1))];
}

SoakEvent SoakScript::Next() {
  auto weightOf = [this](const Weight& w) { return w.kind == Kind::kServer && !outages_ ? 0 : w.weight; };
  int total = 0;
  for (const Weight& w : kWeights) total += weightOf(w);
  int pick = Uniform(0, total - 1);
  Kind kind = Kind::kTap;
  for (const Weight& w : kWeights) {
    if (pick < weightOf(w)) {
      kind = w.kind;
      break;
    }
    pick -= weightOf(w);
  }
  SoakEvent event;
  switch (kind) {
    case Kind::kTap: event.line = TapLine(); break;
    case Kind::kStroke: event.line = StrokeLine(); break;
    case Kind::kKey:
      event.line = KeyLine();
      if (event.line == "key Ctrl+R") rotated_ = !rotated_;
      break;
    case Kind::kText:
      event.line = Uniform(0, 2) == 0 ? "char " + std::string(1, static_cast<char>('a' + Uniform(0, 25)))
                                      : std::string("text ") + kSearchWords[Uniform(0, kSearchWords.size() - 1)];
      break;
    case Kind::kSoftKey: event.line = Uniform(0, 1) ? "softkey left" : "softkey right"; break;
    case Kind::kMenu: event.line = "menu \"" + MenuLabels()[Uniform(0, MenuLabels().size() - 1)] + "\""; break;
    case Kind::kAnswer: event.line = Uniform(0, 1) ? "answer Yes" : "answer No"; break;
    case Kind::kRotate:
      event.line = "rotate";
      rotated_ = !rotated_;
      break;
    case Kind::kCall:
      // Mostly a call starting or ending; now and then a second call on top.
      callCount_ = callCount_ == 0 ? 1 : (Uniform(0, 3) == 0 ? callCount_ + 1 : 0);
      event.callChange = true;
      event.callCount = callCount_;
      event.extraMs = 20;
      event.line = "wait 20";
      break;
    case Kind::kWait: {
      const std::int32_t ms = Uniform(0, 2) == 0 ? Uniform(100, 400) : Uniform(1, 40);
      event.extraMs = static_cast<std::uint32_t>(ms);
      event.line = "wait " + std::to_string(ms);
      break;
    }
    case Kind::kDump: event.line = "dump screen.txt"; break;
    case Kind::kServer:
      // Gone for a while, back again: the line waits a little for the change to be seen.
      serverUp_ = !serverUp_;
      event.serverChange = true;
      event.serverUp = serverUp_;
      event.extraMs = 50;
      event.line = "wait 50";
      break;
  }
  return event;
}

std::vector<SoakEvent> SoakScript::Generate(std::size_t count) {
  std::vector<SoakEvent> events;
  events.reserve(count);
  while (events.size() < count) events.push_back(Next());
  return events;
}

}  // namespace soak
