#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "platform/UniqueFd.h"
#include "platform/mpris/MediaState.h"

namespace sdbus {
class IConnection;
class IObject;
}  // namespace sdbus

namespace platform {

// The player on the desktop's session bus (MPRIS 2: org.mpris.MediaPlayer2.<name> with the
// root and Player interfaces at /org/mpris/MediaPlayer2), so that media keys, sound menus and
// tools like playerctl control it. The bus is served by the service's own thread: method
// calls reach the command handler there (it posts them on; it must not block), property reads
// see the state last published, and PropertiesChanged is emitted for every published change
// but the position (clients follow the position themselves, as the interface intends).
class MprisService {
 public:
  using CommandHandler = std::function<void(MediaCommand)>;

  struct Identity {
    std::string busSuffix;     // "vornalo" → org.mpris.MediaPlayer2.vornalo
    std::string name;          // Identity
    std::string desktopEntry;  // DesktopEntry: the .desktop file's name without ".desktop"
  };

  // Null, with a debug line, when there is no session bus or the name is taken.
  static std::unique_ptr<MprisService> Open(const Identity& identity, CommandHandler handler);
  ~MprisService();
  MprisService(const MprisService&) = delete;
  MprisService& operator=(const MprisService&) = delete;

  // The player's state now. Any thread; returns at once.
  void Publish(const MediaState& state);

 private:
  MprisService(const Identity& identity, CommandHandler handler);
  void Register();
  void Run();
  void EmitPending();
  // Property getters: a copy of the state under the lock.
  MediaState State() const;

  const Identity identity_;
  const CommandHandler handler_;
  std::unique_ptr<sdbus::IConnection> connection_;
  std::unique_ptr<sdbus::IObject> object_;
  UniqueFd wake_;  // eventfd: a change to emit, or the end
  // Guards state_, changed_ and stopping_.
  mutable std::mutex mutex_;
  MediaState state_;
  std::set<std::string> changed_;  // Player properties changed since the last emit
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace platform
