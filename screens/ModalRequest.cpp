#include "screens/ModalRequest.h"

#include <atomic>
#include <chrono>
#include <future>

namespace screens {
namespace {

// How often an abandoned fetch is stopped again until it returns.
constexpr std::chrono::milliseconds kAbandonRetry{50};

}  // namespace

bool RunModalRequest(platform::Window* window, catalogue::CatalogueRequest& request, const std::function<void()>& fetch) {
  if (!window) {
    fetch();
    return true;
  }
  std::atomic<bool> finished{false};
  std::future<void> worker = std::async(std::launch::async, [&] {
    // The wait ends however the fetch does; an exception reaches the caller through get().
    struct Finish {
      std::atomic<bool>& flag;
      platform::Window& target;
      ~Finish() {
        flag.store(true);
        target.Wake();
      }
    } finish{finished, *window};
    fetch();
  });
  const bool completed = window->WaitModal([&] { return finished.load(); });
  if (!completed) {
    do {
      request.abandon();
    } while (worker.wait_for(kAbandonRetry) != std::future_status::ready);
  }
  worker.get();
  return completed;
}

}  // namespace screens
