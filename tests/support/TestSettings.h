#pragma once

#include <cstdint>

#include "core/AppSettings.h"
#include "platform/RegistryStore.h"
#include "tests/support/TempDir.h"

namespace testsupport {

// Client settings over a temporary store with a fixed device identifier.
struct TestSettings {
  static int FixedId(std::uint8_t* out, std::size_t* length) {
    for (std::size_t i = 0; i < 20; ++i) out[i] = static_cast<std::uint8_t>(0xF0 + i);
    *length = 20;
    return 0;
  }
  TempDir dir;
  platform::RegistryStore store{dir.Path()};
  core::AppSettings settings{store, FixedId};
};

}  // namespace testsupport
