#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>
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
// but the position (clients follow the position themselves, as the interface intends; a jump
// is announced with Seeked). SetPosition is passed on only for the current track and a
// position within it.
class MprisService {
 public:
  // The command and its argument (microseconds for kSeek and kSetPosition, else 0).
  using CommandHandler = std::function<void(MediaCommand, std::int64_t)>;

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
  // The position jumped (a seek) to `positionUs`: emits Seeked. Any thread; returns at once.
  void AnnounceSeek(std::int64_t positionUs);

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
  void Wake();

  // Guards state_, changed_, seeked_ and stopping_.
  mutable std::mutex mutex_;
  MediaState state_;
  std::set<std::string> changed_;  // Player properties changed since the last emit
  std::optional<std::int64_t> seeked_;  // a Seeked signal to emit
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace platform
