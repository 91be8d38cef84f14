#pragma once

#include <istream>
#include <map>
#include <string>
#include <vector>

#include "platform/headless/HeadlessBackend.h"
#include "platform/window/Window.h"

namespace platform {

// Runs a script of user actions against a headless window, one line at a time, logging each
// line ("script: <line>") before it runs and letting the window finish what the line caused.
// Coordinates are client (application window) coordinates. Lines:
//   tap X Y | stroke X0 Y0 X1 Y1 | key NAME (Enter, Up, Down, Left, Right, Escape, Back,
//   Delete, Home, End, Tab, Space, F1..F12, a letter or digit; "Ctrl+" or "Shift+" before it)
//   | char C | text WORDS... | softkey left|right | menu "LABEL" | answer Yes|No|OK | rotate
//   | wait MS | waitfor message ID [TIMEOUT_MS] | waitfor text "SUBSTRING" [TIMEOUT_MS]
//   | screenshot FILE.png | dump FILE | post ID [WPARAM [LPARAM]] | quit
// `dump` writes the screen as text (Window::DescribeScreen); `waitfor text` runs the window
// until that text holds the substring; `post` queues a message for the window as a screen or
// a worker thread would.
// Blank lines and lines starting with '#' are skipped.
class ScriptDriver {
 public:
  static constexpr int kScriptErrorExitCode = 2;
  static constexpr int kDefaultWaitForMs = 5000;

  ScriptDriver(Window& window, HeadlessBackend& backend);
  // A window on the desktop: the log goes to stdout and `answer` lines fail (the user
  // answers the message boxes).
  ScriptDriver(Window& window, HeadlessBackend* backend);
  // Detaches the driver from the window, which may go on dispatching after the driver.
  ~ScriptDriver();
  ScriptDriver(const ScriptDriver&) = delete;
  ScriptDriver& operator=(const ScriptDriver&) = delete;

  // Runs the whole script. Returns the program's exit code: the window's once it quits, 0
  // when the script ends (the window is then closed), kScriptErrorExitCode after an error,
  // which is logged as "script error: <source>:<line>: <reason>" (see Error()) and closes the
  // window as the end of a script does.
  int Run(std::istream& script, const std::string& sourceName);
  // The error line of the failed script line; empty when none failed.
  const std::string& Error() const { return error_; }
  // Queues the answers of the `answer` lines that open the script, before anything runs
  // (for message boxes shown before the message loop).
  static void QueueLeadingAnswers(std::istream& script, HeadlessBackend& backend);
  // Runs one line; false with a reason on error.
  bool RunLine(const std::string& line, std::string& error);
  // Soak mode: each line is acknowledged with "script: done" once the window is idle again,
  // and a line that fails is logged as "script: failed: <reason>" and the script goes on, so
  // that a watcher can time every line of a long random script.
  void SetSoak(bool soak) { soak_ = soak; }

 private:
  bool Tap(const std::vector<std::string>& args, std::string& error);
  bool Stroke(const std::vector<std::string>& args, std::string& error);
  bool Key(const std::vector<std::string>& args, std::string& error);
  bool WaitFor(const std::vector<std::string>& args, std::string& error);
  bool WaitForMessage(std::uint32_t id, std::int64_t timeoutMs, std::string& error);
  bool WaitForText(const std::string& text, std::int64_t timeoutMs, std::string& error);
  void Stylus(InputEvent::Type type, std::int32_t x, std::int32_t y);
  void Log(const std::string& line);
  void Close();

  Window& window_;
  HeadlessBackend* backend_;  // null for a desktop window
  // How many of each message id were dispatched and not yet waited for.
  std::map<std::uint32_t, int> seen_;
  std::string error_;
  bool soak_ = false;
};

// Splits a script line into words; a double-quoted word may hold spaces.
bool SplitScriptLine(const std::string& line, std::vector<std::string>& words, std::string& error);
// The virtual key of a key name (see ScriptDriver); false when unknown.
bool ParseKeyName(const std::string& name, std::uint32_t& key, bool& ctrl, bool& shift);

}  // namespace platform
