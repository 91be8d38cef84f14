#include "platform/audio/null/NullPcmSink.h"

namespace platform {

PcmOpenResult NullPcmSink::OnOpen(const PcmFormat&) {
  openAttempts_.fetch_add(1);
  if (deviceCount_.load() == 0) return PcmOpenResult::kError;
  uint32_t busy = busyOpens_.load();
  while (busy > 0) {
    if (busyOpens_.compare_exchange_weak(busy, busy - 1)) return PcmOpenResult::kBusy;
  }
  return PcmOpenResult::kOk;
}

}  // namespace platform
