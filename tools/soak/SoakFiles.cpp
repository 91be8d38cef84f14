#include "tools/soak/SoakFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "app/PhoneState.h"
#include "platform/RegistryStore.h"
#include "playlist/PlaylistFile.h"

namespace soak {
namespace {

std::optional<std::string> ReadWhole(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void ListTemporaries(const std::filesystem::path& folder, std::string& notes) {
  std::error_code error;
  for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
    if (it->path().filename().string().find(".tmp.") != std::string::npos) {
      notes += "left-over temporary file " + it->path().string() + "\n";
    }
  }
}

}  // namespace

std::string CheckSavedFiles(const std::filesystem::path& dataDirectory, const std::filesystem::path& configDirectory,
                            std::optional<std::uint32_t> lastCallCount, std::string& notes) {
  std::string faults;
  const std::filesystem::path dataFile = dataDirectory / playlist::playlistfile::kFileName;
  if (std::filesystem::exists(dataFile)) {
    const std::optional<std::string> bytes = ReadWhole(dataFile);
    const std::size_t size = bytes ? bytes->size() : 0;
    if (!bytes || !playlist::playlistfile::Load(dataFile)) {
      faults += "data.dat cannot be read\n";
    } else if (size != 0 && (size < playlist::playlistfile::kTitleBytes ||
                             (size - playlist::playlistfile::kTitleBytes) % playlist::playlistfile::kRecordBytes != 0)) {
      faults += "data.dat holds a partial record: " + std::to_string(size) + " bytes\n";
    }
  }
  const std::filesystem::path store = configDirectory / platform::RegistryStore::kFileName;
  if (std::filesystem::exists(store)) {
    const std::optional<std::string> text = ReadWhole(store);
    std::optional<platform::RegistryStore::Keys> keys;
    if (text) keys = platform::RegistryStore::Parse(*text);
    if (!keys) {
      faults += "the settings store does not parse\n";
    } else if (lastCallCount) {
      const std::optional<platform::RegistryValue> count =
          platform::RegistryStore(configDirectory).Query(app::kPhoneStateKey, app::kActiveCallCountValue);
      if (!count || count->type != platform::RegistryValue::Type::Dword || count->number != *lastCallCount) {
        faults += "the settings store lost the call count " + std::to_string(*lastCallCount) + "\n";
      }
    }
  } else if (lastCallCount) {
    faults += "the settings store is missing\n";
  }
  ListTemporaries(dataDirectory, notes);
  ListTemporaries(configDirectory, notes);
  return faults;
}

std::string FailedStarts::Check(const std::filesystem::path& log) {
  std::ifstream in(log);
  std::string problems;
  constexpr const char* kMarker = "failed to start (";
  for (std::string line; std::getline(in, line);) {
    const std::size_t at = line.find(kMarker);
    if (at == std::string::npos) continue;
    unsigned inARow = 0, entries = 0;
    if (std::sscanf(line.c_str() + at + std::strlen(kMarker), "%u in a row of %u", &inARow, &entries) != 2) continue;
    ++total;
    mostInARow = std::max<std::size_t>(mostInARow, inARow);
    if (inARow > entries && problems.empty()) problems = log.filename().string() + ": failing starts go on: " + line + "\n";
  }
  return problems;
}

}  // namespace soak
