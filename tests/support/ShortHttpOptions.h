#pragma once

#include <cstdint>

#include "catalogue/HttpClientLimits.h"

namespace testsupport {

// The HTTP client's waits shortened for tests: 5 ms steps and the given time-outs.
inline catalogue::HttpClientOptions ShortHttpOptions(std::int64_t timeoutMicros = 300'000) {
  catalogue::HttpClientOptions options;
  options.waitStepMicros = 5'000;
  options.connectTimeoutMicros = timeoutMicros;
  options.idleTimeoutMicros = timeoutMicros;
  options.emptyQueueSleepMillis = 20;
  return options;
}

}  // namespace testsupport
