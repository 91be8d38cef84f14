#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace soak {

// One step of a soak: a script line for the client, or a change of the phone's active call
// count, which the watcher makes from outside (`vornalo --set-call-count N`) while the client
// runs the line (a short wait that lets the change arrive).
struct SoakEvent {
  std::string line;
  bool callChange = false;
  std::uint32_t callCount = 0;
  // How long the line may take beyond the usual answer time (its own wait).
  std::uint32_t extraMs = 0;
  // Or the catalogue server going away or coming back, which the watcher makes happen.
  bool serverChange = false;
  bool serverUp = true;
};

// A seeded stream of plausible user actions for the client's script driver: taps inside the
// window, list strokes, arrow and Enter keys, typing, soft keys, menu entries, rotations and
// calls, weighted toward what people do most. The same seed gives the same events. Never
// exits the program (no Exit entry, no Ctrl+Q).
class SoakScript {
 public:
  // `width` x `height` is the phone screen in portrait; the window lies between the title and
  // soft-key bars (26 pixels high, 52 on the 640- and 800-pixel screens).
  // With `outages` the stream also stops and starts the catalogue server now and then.
  SoakScript(std::uint64_t seed, std::int32_t width = 240, std::int32_t height = 320, bool outages = false);

  std::vector<SoakEvent> Generate(std::size_t count);

  // Menu and soft-key labels the events choose from.
  static const std::vector<std::string>& MenuLabels();

  // The next number of the seeded sequence in [low, high].
  std::int32_t Uniform(std::int32_t low, std::int32_t high);

 private:
  SoakEvent Next();
  std::int32_t ClientWidth() const;
  std::int32_t ClientHeight() const;
  std::string TapLine();
  std::string StrokeLine();
  std::string KeyLine();

  std::uint64_t state_;
  std::int32_t width_;
  std::int32_t height_;
  bool rotated_ = false;
  std::uint32_t callCount_ = 0;
  bool outages_ = false;
  bool serverUp_ = true;
};

}  // namespace soak
