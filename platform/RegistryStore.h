#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace platform {

// One typed value of the store: a string (held as UTF-16, like the phone's REG_SZ) or a
// 32-bit number (REG_DWORD).
struct RegistryValue {
  enum class Type { String, Dword };

  Type type = Type::Dword;
  std::u16string text;
  std::uint32_t number = 0;

  static RegistryValue String(std::u16string value) {
    return RegistryValue{Type::String, std::move(value), 0};
  }
  static RegistryValue Dword(std::uint32_t value) { return RegistryValue{Type::Dword, {}, value}; }

  // Bytes the value occupies: (characters + 1) x 2 for a string, terminator included; 4 for a
  // number.
  std::size_t ByteSize() const { return type == Type::String ? (text.size() + 1) * 2 : 4; }

  bool operator==(const RegistryValue& other) const {
    return type == other.type && text == other.text && number == other.number;
  }
};

// A small file-backed store of typed values under named keys ("Software\\Vornalo\\Main"),
// kept in one text file, "registry", in its directory. Every read sees the file as it is on
// disk now, so values written by another process are seen at once. Writes are read-modify-
// write under an advisory lock and replace the file atomically, so a crash mid-write keeps the
// previous contents. A missing file reads as empty; a corrupt one reads as empty with one
// debug line.
class RegistryStore {
 public:
  using Values = std::map<std::string, RegistryValue, std::less<>>;
  using Keys = std::map<std::string, Values, std::less<>>;

  explicit RegistryStore(std::filesystem::path directory);

  // $XDG_CONFIG_HOME/vornalo, or ~/.config/vornalo when that is not set.
  static std::filesystem::path DefaultDirectory();

  const std::filesystem::path& Directory() const { return directory_; }
  std::filesystem::path FilePath() const { return directory_ / kFileName; }

  bool KeyExists(std::string_view key) const;

  // The value, or nothing when the key or the value does not exist.
  std::optional<RegistryValue> Query(std::string_view key, std::string_view name) const;

  // Creates the key when needed and sets the values, in one atomic replace of the file.
  // Names must not hold tabs or line breaks. False when the file could not be written (the
  // previous contents then stay), with a debug line.
  bool SetValues(std::string_view key, const std::vector<std::pair<std::string, RegistryValue>>& values);
  bool SetValue(std::string_view key, std::string_view name, const RegistryValue& value);

  // The whole store as it is on disk; exposed for tests and tools.
  Keys ReadAll() const;

  // Text form of the store, and its parser (nothing when the text is malformed).
  static std::string Serialize(const Keys& keys);
  static std::optional<Keys> Parse(std::string_view text);

  static constexpr const char* kFileName = "registry";

 private:
  std::filesystem::path directory_;
};

}  // namespace platform
