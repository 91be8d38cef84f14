#pragma once

#include <string_view>
#include <sys/types.h>

namespace platform {

// True for an absolute http or https URL without control characters: the only URLs the
// browser is started for.
bool IsBrowsableUrl(std::string_view url);

// Starts the desktop's browser on the URL: `$VORNALO_BROWSER` when set, else xdg-open, with
// the URL as its one argument (posix_spawn, never a shell). The child is reaped in the
// background. Returns its pid, or -1 when the URL is refused or the program cannot be started
// (a debug line says which).
pid_t LaunchBrowser(std::string_view url);

}  // namespace platform
