#pragma once

namespace app {

// Where the phone keeps the number of calls in progress: a 32-bit value of the settings
// store, written by `vornalo --set-call-count N` and watched by the running client.
inline constexpr const char* kPhoneStateKey = "system\\state\\phone\\";
inline constexpr const char* kActiveCallCountValue = "active call count";

}  // namespace app
