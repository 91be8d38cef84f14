#include "platform/RegistryStore.h"

#include <fcntl.h>
#include <sys/file.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/AtomicFile.h"
#include "platform/DebugLog.h"
#include "platform/TextCodec.h"
#include "platform/UniqueFd.h"

namespace platform {
namespace {

constexpr std::string_view kHeader = "# Vornalo settings store: [key], then name<TAB>type<TAB>value\n";
// A store file larger than this is not a store file.
constexpr std::uintmax_t kMaxFileSize = 1 << 20;

std::string EscapeText(std::string_view text) {
  std::string out;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '\t': out += "\\t"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          static const char kHex[] = "0123456789abcdef";
          out += "\\x";
          out.push_back(kHex[byte >> 4]);
          out.push_back(kHex[byte & 15]);
        } else {
          out.push_back(c);
        }
    }
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> UnescapeText(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out.push_back(text[i]);
      continue;
    }
    if (++i >= text.size()) return std::nullopt;
    switch (text[i]) {
      case '\\': out.push_back('\\'); break;
      case 't': out.push_back('\t'); break;
      case 'n': out.push_back('\n'); break;
      case 'r': out.push_back('\r'); break;
      case 'x': {
        if (i + 2 >= text.size()) return std::nullopt;
        int high = HexDigit(text[i + 1]);
        int low = HexDigit(text[i + 2]);
        if (high < 0 || low < 0) return std::nullopt;
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
        break;
      }
      default: return std::nullopt;
    }
  }
  return out;
}

bool ValidName(std::string_view name) {
  return !name.empty() && name.find_first_of("\t\r\n") == std::string_view::npos &&
         name.front() != '[' && name.front() != '#';
}

bool ValidKey(std::string_view key) {
  return !key.empty() && key.find_first_of("]\r\n") == std::string_view::npos;
}

}  // namespace

RegistryStore::RegistryStore(std::filesystem::path directory) : directory_(std::move(directory)) {}

std::filesystem::path RegistryStore::DefaultDirectory() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/') return std::filesystem::path(xdg) / "vornalo";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : ".") / ".config" / "vornalo";
}

std::string RegistryStore::Serialize(const Keys& keys) {
  std::string out(kHeader);
  for (const auto& [key, values] : keys) {
    out += "[" + key + "]\n";
    for (const auto& [name, value] : values) {
      out += name;
      if (value.type == RegistryValue::Type::String) {
        out += "\tsz\t" + EscapeText(Utf16ToUtf8(value.text));
      } else {
        out += "\tdword\t" + std::to_string(value.number);
      }
      out += "\n";
    }
  }
  return out;
}

std::optional<RegistryStore::Keys> RegistryStore::Parse(std::string_view text) {
  Keys keys;
  Values* current = nullptr;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;  // every line ends with a newline
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    if (line.empty() || line.front() == '#') continue;
    if (line.front() == '[') {
      if (line.size() < 3 || line.back() != ']') return std::nullopt;
      std::string_view key = line.substr(1, line.size() - 2);
      if (!ValidKey(key)) return std::nullopt;
      current = &keys[std::string(key)];
      continue;
    }
    if (!current) return std::nullopt;
    std::size_t tab1 = line.find('\t');
    if (tab1 == std::string_view::npos) return std::nullopt;
    std::size_t tab2 = line.find('\t', tab1 + 1);
    if (tab2 == std::string_view::npos) return std::nullopt;
    std::string_view name = line.substr(0, tab1);
    std::string_view type = line.substr(tab1 + 1, tab2 - tab1 - 1);
    std::string_view raw = line.substr(tab2 + 1);
    if (!ValidName(name)) return std::nullopt;
    if (type == "sz") {
      auto unescaped = UnescapeText(raw);
      if (!unescaped) return std::nullopt;
      (*current)[std::string(name)] = RegistryValue::String(Utf8ToUtf16(*unescaped));
    } else if (type == "dword") {
      std::uint32_t number = 0;
      auto [ptr, ec] = std::from_chars(raw.data(), raw.data() + raw.size(), number);
      if (ec != std::errc() || ptr != raw.data() + raw.size() || raw.empty()) return std::nullopt;
      (*current)[std::string(name)] = RegistryValue::Dword(number);
    } else {
      return std::nullopt;
    }
  }
  return keys;
}

RegistryStore::Keys RegistryStore::ReadAll() const {
  const auto path = FilePath();
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) return {};
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxFileSize) {
    DebugPrintf("settings store %s is unreadable or too large; using defaults", path.c_str());
    return {};
  }
  std::ifstream in(path, std::ios::binary);
  std::ostringstream contents;
  contents << in.rdbuf();
  if (!in && !in.eof()) {
    DebugPrintf("settings store %s could not be read; using defaults", path.c_str());
    return {};
  }
  auto keys = Parse(contents.str());
  if (!keys) {
    DebugPrintf("settings store %s is corrupt; using defaults", path.c_str());
    return {};
  }
  return std::move(*keys);
}

bool RegistryStore::KeyExists(std::string_view key) const {
  auto keys = ReadAll();
  return keys.find(key) != keys.end();
}

std::optional<RegistryValue> RegistryStore::Query(std::string_view key, std::string_view name) const {
  auto keys = ReadAll();
  auto k = keys.find(key);
  if (k == keys.end()) return std::nullopt;
  auto v = k->second.find(name);
  if (v == k->second.end()) return std::nullopt;
  return v->second;
}

bool RegistryStore::SetValues(std::string_view key,
                              const std::vector<std::pair<std::string, RegistryValue>>& values) {
  if (!ValidKey(key)) return false;
  for (const auto& [name, value] : values) {
    if (!ValidName(name)) return false;
  }
  std::error_code ec;
  std::filesystem::create_directories(directory_, ec);
  if (ec) {
    DebugPrintf("settings store folder %s: %s", directory_.c_str(), ec.message().c_str());
    return false;
  }
  // Serialise writers of other processes for the read-modify-write.
  UniqueFd lock(::open((directory_ / "registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
  if (lock) {
    while (::flock(lock.Get(), LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  Keys keys = ReadAll();
  Values& target = keys[std::string(key)];
  for (const auto& [name, value] : values) target[name] = value;
  std::string error;
  if (!WriteFileAtomically(FilePath(), Serialize(keys), error)) {
    DebugPrintf("settings store %s not written: %s", FilePath().c_str(), error.c_str());
    return false;
  }
  return true;
}

bool RegistryStore::SetValue(std::string_view key, std::string_view name, const RegistryValue& value) {
  return SetValues(key, {{std::string(name), value}});
}

}  // namespace platform
