#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace platform {

// The application-specific device identifier: SHA-1 of the machine id followed by the
// application data. The same on every start of the same machine, different between machines
// and between applications. `outLength` holds the buffer size on entry and the identifier's
// length (20) on success. Returns 0 on success, -1 when the machine id cannot be read or the
// buffer is smaller than 20 bytes (the buffer is then left as it was).
int GetDeviceUniqueID(const std::uint8_t* appData, std::size_t appDataLength, int version,
                      std::uint8_t* out, std::size_t* outLength);

// As above, with the machine id read from the given file (tests).
int GetDeviceUniqueID(const std::filesystem::path& machineIdFile, const std::uint8_t* appData,
                      std::size_t appDataLength, std::uint8_t* out, std::size_t* outLength);

constexpr std::size_t kDeviceIdLength = 20;

}  // namespace platform
