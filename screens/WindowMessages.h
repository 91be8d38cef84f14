#pragma once

#include <cstdint>

#include "platform/window/Messages.h"

// The program's private window messages, by their numbers: what screens, controls, the stream
// player and the platform post to the main window; and the soft-key bars screens install. The toolkit's own
// control messages (1124, 1324 to 1328, 1934) are in ui/ControlMessages.h; the stream
// player's (11026, 12024 to 12027) in audio/PlayerNotifyTarget.h.
namespace screens::msg {
using platform::wm::kUser;
inline constexpr std::uint32_t kPreviousTab = kUser + 1;              // 1025, list screens on Left
inline constexpr std::uint32_t kNextTab = kUser + 2;                  // 1026, list screens on Right
inline constexpr std::uint32_t kThemeChanged = kUser + 3;             // 1027, broadcast
inline constexpr std::uint32_t kOpenItemPopup = kUser + 4;            // 1028
inline constexpr std::uint32_t kLayoutChanged = kUser + 5;            // 1029, broadcast
inline constexpr std::uint32_t kSearchChosen = kUser + 200;           // 1224, lParam: result kinds
inline constexpr std::uint32_t kPlayPause = kUser + 600;              // 1624 .. 1628: player keys
inline constexpr std::uint32_t kPlayerPreviousButton = kUser + 601;   // 1625
inline constexpr std::uint32_t kPlayerNextButton = kUser + 602;       // 1626
inline constexpr std::uint32_t kPlayerPlaylistTab = kUser + 603;      // 1627
inline constexpr std::uint32_t kPlayerSearchTab = kUser + 604;        // 1628
inline constexpr std::uint32_t kShowSearchTab = kUser + 700;          // 1724
inline constexpr std::uint32_t kShowPlaylistTab = kUser + 701;        // 1725
inline constexpr std::uint32_t kPlaylistTrackStarted = kUser + 702;   // 1726
inline constexpr std::uint32_t kOpenArticle = kUser + 900;            // 1924
inline constexpr std::uint32_t kAddToPlaylist = kUser + 901;          // 1925
inline constexpr std::uint32_t kReplacePlaylist = kUser + 902;        // 1926
inline constexpr std::uint32_t kPurchase = kUser + 903;               // 1927
inline constexpr std::uint32_t kPlayItem = kUser + 904;               // 1928
inline constexpr std::uint32_t kThemeChosen = kUser + 905;            // 1929, lParam: theme index
inline constexpr std::uint32_t kSkinChosen = kUser + 906;             // 1930, lParam: skin index or -1
inline constexpr std::uint32_t kPlayerNext = kUser + 907;             // 1931
inline constexpr std::uint32_t kPlayerPrevious = kUser + 908;         // 1932
inline constexpr std::uint32_t kCallCountChanged = kUser + 909;       // 1933, wParam: active calls
inline constexpr std::uint32_t kRemovePlaylistItem = kUser + 911;     // 1935
}  // namespace screens::msg

// The soft-key bars by resource id (the application's resources define them): the main bar
// ("New Search", "Options") and the bar every popup installs while it is open ("Cancel").
namespace screens::menubar {
inline constexpr int kMain = 102;
inline constexpr int kPopup = 20;
}  // namespace screens::menubar
