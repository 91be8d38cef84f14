#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <thread>

#include "platform/UniqueFd.h"

namespace app {

// Makes sure only one client runs per user: the running instance holds an advisory lock on
// "vornalo.lock" and listens on the Unix-domain socket "vornalo.sock", both in the user's
// runtime directory. A later start finds the lock taken, connects to the socket, asks the
// running instance to raise its window ("raise"), waits for its "ok" and reports that
// another instance runs. A socket left behind by a crashed instance is replaced, as the lock
// died with it.
class SingleInstance {
 public:
  enum class Outcome { kFirst, kOtherRunning };

  static constexpr int kConnectAttempts = 100;  // while the first instance starts listening
  static constexpr int kConnectRetryMs = 10;
  static constexpr int kExchangeTimeoutMs = 1000;  // a request or its answer, each way
  static constexpr const char* kLockName = "vornalo.lock";
  static constexpr const char* kSocketName = "vornalo.sock";

  // `directory` empty: DefaultDirectory().
  explicit SingleInstance(std::string directory);
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  // $XDG_RUNTIME_DIR when set to an absolute path, else /tmp/vornalo-<uid> (created private to
  // the user; refused when someone else owns it or others may enter it).
  static std::string DefaultDirectory();

  // Claims the instance, or asks the running one to raise its window. When the directory,
  // lock or socket cannot be used the program runs unguarded: kFirst, with a debug line.
  Outcome Acquire();
  // Called on the listening thread each time another start asks for the window; replaces the
  // previous handler (null: none).
  void SetRaiseHandler(std::function<void()> handler);
  // Stops listening, removes the socket and releases the lock. Safe to call more than once.
  void Close();

  const std::string& Directory() const { return directory_; }

 private:
  bool PrepareDirectory();
  bool AskRunningInstance();
  bool Listen();
  void ListenLoop();
  void Serve(int connection);

  std::string directory_;
  platform::UniqueFd lock_;
  platform::UniqueFd listener_;
  platform::UniqueFd stopEvent_;  // an eventfd that ends ListenLoop
  std::thread thread_;
  // Guards raiseHandler_.
  std::mutex mutex_;
  std::function<void()> raiseHandler_;
};

}  // namespace app
