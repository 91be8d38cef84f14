#pragma once

#include "app/AppContext.h"
#include "app/AppOptions.h"

namespace app {

// The program: builds the settings, runs the entry sequence and saves the settings after it
// (after the window is gone). Returns the exit code: 0 for every normal end, also when
// start-up stopped after one of its message boxes or because another instance runs; 1 when
// the display, the script or the embedded server could not be opened.
int RunVornalo(const AppOptions& options, const ApplicationParts& parts = ApplicationParts());

// --set-call-count: writes the phone's active call count to the settings store. 0 on success.
int SetCallCount(const AppOptions& options);

}  // namespace app
