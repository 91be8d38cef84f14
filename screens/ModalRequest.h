#pragma once

#include <functional>

#include "catalogue/CatalogueRequest.h"
#include "platform/window/Window.h"

namespace screens {

// Runs a catalogue request for a screen that waits for it on the UI thread. The fetch runs on
// a helper thread while the UI thread sits in the window's modal wait (Window::WaitModal, as
// a message box does): the screen stays presented and a close request is noticed at once,
// but nothing else is dispatched, so no screen changes under the request. When a close
// request comes first, the request is abandoned and joined, and the close is left for the
// message loop. Without a window the fetch runs on the calling thread.
//
// `fetch` calls the request's run (or nextPage / previousPage) and nothing else that touches
// the screens. Returns true when it ran to its end, false when it was abandoned.
bool RunModalRequest(platform::Window* window, catalogue::CatalogueRequest& request, const std::function<void()>& fetch);

}  // namespace screens
