#include "platform/window/ScriptDriver.h"

#include <cstdio>

#include <cctype>
#include <charconv>

#include "platform/TextCodec.h"

namespace platform {
namespace {

bool ParseInt(const std::string& text, std::int64_t& value) {
  const char* end = text.data() + text.size();
  auto result = std::from_chars(text.data(), end, value);
  return result.ec == std::errc() && result.ptr == end;
}

bool ParseInts(const std::vector<std::string>& args, std::size_t first, std::size_t count,
               std::vector<std::int32_t>& out, std::string& error) {
  if (args.size() != first + count) {
    error = "expected " + std::to_string(count) + " numbers";
    return false;
  }
  out.clear();
  for (std::size_t i = first; i < args.size(); ++i) {
    std::int64_t v = 0;
    if (!ParseInt(args[i], v) || v < -32768 || v > 32767) {
      error = "not a coordinate: " + args[i];
      return false;
    }
    out.push_back(static_cast<std::int32_t>(v));
  }
  return true;
}

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool ParseAnswer(const std::string& word, MessageBoxResult& answer) {
  std::string w = Lower(word);
  if (w == "yes") answer = MessageBoxResult::kYes;
  else if (w == "no") answer = MessageBoxResult::kNo;
  else if (w == "ok") answer = MessageBoxResult::kOk;
  else return false;
  return true;
}

}  // namespace

bool SplitScriptLine(const std::string& line, std::vector<std::string>& words, std::string& error) {
  words.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    if (std::isspace(static_cast<unsigned char>(line[i]))) {
      ++i;
      continue;
    }
    std::string word;
    if (line[i] == '"') {
      std::size_t close = line.find('"', i + 1);
      if (close == std::string::npos) {
        error = "unterminated quote";
        return false;
      }
      word = line.substr(i + 1, close - i - 1);
      i = close + 1;
    } else {
      while (i < line.size() && !std::isspace(static_cast<unsigned char>(line[i]))) word += line[i++];
    }
    words.push_back(std::move(word));
  }
  return true;
}

bool ParseKeyName(const std::string& name, std::uint32_t& key, bool& ctrl, bool& shift) {
  ctrl = shift = false;
  std::string rest = name;
  while (true) {
    std::string lower = Lower(rest);
    if (lower.rfind("ctrl+", 0) == 0) {
      ctrl = true;
      rest = rest.substr(5);
    } else if (lower.rfind("shift+", 0) == 0) {
      shift = true;
      rest = rest.substr(6);
    } else {
      break;
    }
  }
  static const std::map<std::string, std::uint32_t> kNames = {
      {"enter", vk::kReturn}, {"return", vk::kReturn}, {"up", vk::kUp},         {"down", vk::kDown},
      {"left", vk::kLeft},    {"right", vk::kRight},   {"escape", vk::kEscape}, {"esc", vk::kEscape},
      {"back", vk::kBack},    {"backspace", vk::kBack}, {"delete", vk::kDelete}, {"home", vk::kHome},
      {"end", vk::kEnd},      {"tab", vk::kTab},       {"space", vk::kSpace}};
  std::string lower = Lower(rest);
  if (auto it = kNames.find(lower); it != kNames.end()) {
    key = it->second;
    return true;
  }
  if (lower.size() >= 2 && lower[0] == 'f') {
    std::int64_t n = 0;
    if (ParseInt(lower.substr(1), n) && n >= 1 && n <= 12) {
      key = vk::kF1 + static_cast<std::uint32_t>(n - 1);
      return true;
    }
  }
  if (rest.size() == 1 && std::isalnum(static_cast<unsigned char>(rest[0]))) {
    key = static_cast<std::uint32_t>(std::toupper(static_cast<unsigned char>(rest[0])));
    return true;
  }
  return false;
}

ScriptDriver::ScriptDriver(Window& window, HeadlessBackend& backend) : ScriptDriver(window, &backend) {}

ScriptDriver::ScriptDriver(Window& window, HeadlessBackend* backend) : window_(window), backend_(backend) {
  window_.SetMessageObserver([this](const Message& message) { ++seen_[message.id]; });
}

void ScriptDriver::Log(const std::string& line) {
  if (backend_) {
    backend_->Log(line);
  } else {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
  }
}

ScriptDriver::~ScriptDriver() { window_.SetMessageObserver(nullptr); }

void ScriptDriver::QueueLeadingAnswers(std::istream& script, HeadlessBackend& backend) {
  std::string line;
  std::vector<std::string> words;
  std::string error;
  while (std::getline(script, line)) {
    if (!SplitScriptLine(line, words, error)) return;
    if (words.empty() || words[0][0] == '#') continue;
    MessageBoxResult answer;
    if (words.size() != 2 || words[0] != "answer" || !ParseAnswer(words[1], answer)) return;
    backend.QueueAnswer(answer);
  }
}

int ScriptDriver::Run(std::istream& script, const std::string& sourceName) {
  std::string line;
  int number = 0;
  bool leading = true;  // leading answers were queued before the program started
  window_.RunUntilIdle();
  while (!window_.IsQuitting() && std::getline(script, line)) {
    ++number;
    std::vector<std::string> words;
    std::string error;
    bool isAnswer = SplitScriptLine(line, words, error) && !words.empty() && words[0] == "answer";
    if (!words.empty() && words[0][0] != '#' && !isAnswer) leading = false;
    if (words.empty() || words[0][0] == '#') continue;
    Log("script: " + line);
    const bool ran = (isAnswer && leading) || RunLine(line, error);
    if (soak_) {
      Log(ran ? "script: done" : "script: failed: " + error);
      continue;
    }
    if (ran) continue;
    error_ = "script error: " + sourceName + ":" + std::to_string(number) + ": " + error;
    Log(error_);
    // The program ends through its normal teardown, while this driver still observes.
    if (!window_.IsQuitting()) Close();
    return kScriptErrorExitCode;
  }
  if (!window_.IsQuitting()) Close();
  return window_.ExitCode();
}

void ScriptDriver::Stylus(InputEvent::Type type, std::int32_t x, std::int32_t y) {
  const Rect area = window_.ClientArea();
  InputEvent event;
  event.type = type;
  event.x = x + area.left;
  event.y = y + area.top;
  window_.HandleInput(event);
}

bool ScriptDriver::Tap(const std::vector<std::string>& args, std::string& error) {
  std::vector<std::int32_t> v;
  if (!ParseInts(args, 1, 2, v, error)) return false;
  Stylus(InputEvent::Type::kStylusDown, v[0], v[1]);
  Stylus(InputEvent::Type::kStylusUp, v[0], v[1]);
  return true;
}

bool ScriptDriver::Stroke(const std::vector<std::string>& args, std::string& error) {
  constexpr int kMoveSteps = 4;
  std::vector<std::int32_t> v;
  if (!ParseInts(args, 1, 4, v, error)) return false;
  Stylus(InputEvent::Type::kStylusDown, v[0], v[1]);
  for (int i = 1; i < kMoveSteps; ++i) {
    Stylus(InputEvent::Type::kStylusMove, v[0] + (v[2] - v[0]) * i / kMoveSteps,
           v[1] + (v[3] - v[1]) * i / kMoveSteps);
  }
  Stylus(InputEvent::Type::kStylusUp, v[2], v[3]);
  return true;
}

bool ScriptDriver::Key(const std::vector<std::string>& args, std::string& error) {
  InputEvent event;
  if (args.size() != 2 || !ParseKeyName(args[1], event.key, event.ctrl, event.shift)) {
    error = args.size() == 2 ? "unknown key: " + args[1] : "expected one key name";
    return false;
  }
  event.type = InputEvent::Type::kKeyDown;
  window_.HandleInput(event);
  event.type = InputEvent::Type::kKeyUp;
  window_.HandleInput(event);
  return true;
}

bool ScriptDriver::WaitFor(const std::vector<std::string>& args, std::string& error) {
  std::int64_t id = 0, timeout = kDefaultWaitForMs;
  const bool kindOk = args.size() >= 3 && (args[1] == "text" || (args[1] == "message" && ParseInt(args[2], id)));
  if (!kindOk || args.size() > 4 || (args.size() == 4 && (!ParseInt(args[3], timeout) || timeout < 0))) {
    error = "expected: waitfor message ID [TIMEOUT_MS] or waitfor text \"SUBSTRING\" [TIMEOUT_MS]";
    return false;
  }
  return args[1] == "text" ? WaitForText(args[2], timeout, error)
                           : WaitForMessage(static_cast<std::uint32_t>(id), timeout, error);
}

bool ScriptDriver::WaitForMessage(std::uint32_t id, std::int64_t timeoutMs, std::string& error) {
  auto arrived = [&] { return seen_[id] > 0; };
  if (!window_.RunUntil(arrived, std::chrono::milliseconds(timeoutMs))) {
    if (window_.IsQuitting()) return true;
    error = "message " + std::to_string(id) + " did not arrive within " + std::to_string(timeoutMs) + " ms";
    return false;
  }
  --seen_[id];
  return true;
}

bool ScriptDriver::WaitForText(const std::string& text, std::int64_t timeoutMs, std::string& error) {
  auto shown = [&] {
    for (const std::string& line : window_.DescribeScreen()) {
      if (line.find(text) != std::string::npos) return true;
    }
    return false;
  };
  if (!window_.RunUntil(shown, std::chrono::milliseconds(timeoutMs))) {
    if (window_.IsQuitting()) return true;
    error = "text \"" + text + "\" did not appear within " + std::to_string(timeoutMs) + " ms";
    return false;
  }
  return true;
}

void ScriptDriver::Close() {
  window_.Post(wm::kClose);
  window_.RunUntilIdle();
  // A procedure that does not end the loop when its window is destroyed still ends here.
  if (!window_.IsQuitting()) window_.PostQuit(0);
}

bool ScriptDriver::RunLine(const std::string& line, std::string& error) {
  std::vector<std::string> args;
  if (!SplitScriptLine(line, args, error)) return false;
  if (args.empty() || args[0][0] == '#') return true;
  const std::string& command = args[0];
  bool ok = true;
  if (command == "tap") {
    ok = Tap(args, error);
  } else if (command == "stroke") {
    ok = Stroke(args, error);
  } else if (command == "key") {
    ok = Key(args, error);
  } else if (command == "char" || command == "text") {
    std::string text;
    for (std::size_t i = 1; i < args.size(); ++i) text += (i > 1 ? " " : "") + args[i];
    const std::u16string units = Utf8ToUtf16(text);
    const bool oneCharacter =
        units.size() == 1 || (units.size() == 2 && units[0] >= 0xD800 && units[0] <= 0xDBFF);
    if (text.empty() || (command == "char" && !oneCharacter)) {
      error = command == "char" ? "expected one character" : "expected text";
      return false;
    }
    InputEvent event;
    event.type = InputEvent::Type::kText;
    event.text = text;
    window_.HandleInput(event);
  } else if (command == "softkey") {
    if (args.size() != 2 || (args[1] != "left" && args[1] != "right")) {
      error = "expected: softkey left|right";
      return false;
    }
    InputEvent event;
    event.key = args[1] == "left" ? vk::kF1 : vk::kF2;
    window_.HandleInput(event);
  } else if (command == "menu") {
    std::optional<std::uint32_t> chosen;
    if (args.size() != 2 || !window_.Chrome().ChooseByLabel(Utf8ToUtf16(args[1]), chosen)) {
      error = args.size() == 2 ? "no soft key or menu entry \"" + args[1] + "\"" : "expected: menu \"LABEL\"";
      return false;
    }
    if (chosen) window_.Post(wm::kCommand, *chosen, 0);
  } else if (command == "answer") {
    MessageBoxResult answer;
    if (args.size() != 2 || !ParseAnswer(args[1], answer)) {
      error = "expected: answer Yes|No|OK";
      return false;
    }
    if (!backend_) {
      error = "answer needs the headless window: the desktop asks the user";
      return false;
    }
    backend_->QueueAnswer(answer);
  } else if (command == "rotate") {
    window_.Rotate();
  } else if (command == "wait") {
    std::int64_t ms = 0;
    if (args.size() != 2 || !ParseInt(args[1], ms) || ms < 0) {
      error = "expected: wait MS";
      return false;
    }
    window_.RunFor(std::chrono::milliseconds(ms));
  } else if (command == "waitfor") {
    ok = WaitFor(args, error);
  } else if (command == "screenshot") {
    if (args.size() != 2) {
      error = "expected: screenshot FILE.png";
      return false;
    }
    window_.RunUntilIdle();
    ok = window_.SaveScreenshot(args[1], error);
  } else if (command == "post") {
    std::int64_t values[3] = {0, 0, 0};
    bool numbers = args.size() >= 2 && args.size() <= 4;
    for (std::size_t i = 1; numbers && i < args.size(); ++i) numbers = ParseInt(args[i], values[i - 1]);
    if (!numbers || values[0] < 0 || values[0] > 0xFFFF) {
      error = "expected: post ID [WPARAM [LPARAM]]";
      return false;
    }
    window_.Post(static_cast<std::uint32_t>(values[0]), static_cast<std::uintptr_t>(values[1]),
                 static_cast<std::intptr_t>(values[2]));
  } else if (command == "dump") {
    if (args.size() != 2) {
      error = "expected: dump FILE";
      return false;
    }
    window_.RunUntilIdle();
    ok = window_.SaveScreenText(args[1], error);
  } else if (command == "quit") {
    Close();
  } else {
    error = "unknown command: " + command;
    return false;
  }
  if (ok) window_.RunUntilIdle();
  return ok;
}

}  // namespace platform
