#include "platform/DeviceIdentity.h"

#include <openssl/evp.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace platform {
namespace {

bool ReadMachineId(const std::filesystem::path& file, std::string& id) {
  std::ifstream in(file);
  if (!in || !std::getline(in, id)) return false;
  while (!id.empty() && (id.back() == '\r' || id.back() == ' ')) id.pop_back();
  return !id.empty();
}

}  // namespace

int GetDeviceUniqueID(const std::filesystem::path& machineIdFile, const std::uint8_t* appData,
                      std::size_t appDataLength, std::uint8_t* out, std::size_t* outLength) {
  if (!out || !outLength || *outLength < kDeviceIdLength) return -1;
  std::string machineId;
  if (!ReadMachineId(machineIdFile, machineId)) return -1;

  std::vector<std::uint8_t> input(machineId.begin(), machineId.end());
  input.insert(input.end(), appData, appData + appDataLength);
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digestLength = 0;
  if (EVP_Digest(input.data(), input.size(), digest, &digestLength, EVP_sha1(), nullptr) != 1 ||
      digestLength != kDeviceIdLength) {
    return -1;
  }
  std::memcpy(out, digest, kDeviceIdLength);
  *outLength = kDeviceIdLength;
  return 0;
}

int GetDeviceUniqueID(const std::uint8_t* appData, std::size_t appDataLength, int /*version*/,
                      std::uint8_t* out, std::size_t* outLength) {
  // systemd's id first, then the D-Bus copy that older systems keep.
  for (const char* file : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
    if (GetDeviceUniqueID(file, appData, appDataLength, out, outLength) == 0) return 0;
  }
  return -1;
}

}  // namespace platform
