// The script driver's line parser: words and key names. Unquoted words hold no white space and
// the words never hold more bytes than the line.
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/window/ScriptDriver.h"
#include "tools/fuzz/FuzzInput.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string line(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> words;
  std::string error;
  if (!platform::SplitScriptLine(line, words, error)) {
    fuzz::Require(!error.empty());
    return 0;
  }
  std::size_t bytes = 0;
  for (const std::string& word : words) bytes += word.size();
  fuzz::Require(bytes <= line.size());
  if (line.find('"') == std::string::npos) {
    for (const std::string& word : words) {
      fuzz::Require(!word.empty());
      for (char c : word) fuzz::Require(!std::isspace(static_cast<unsigned char>(c)));
    }
  }
  for (const std::string& word : words) {
    std::uint32_t key = 0;
    bool ctrl = false, shift = false;
    platform::ParseKeyName(word, key, ctrl, shift);
  }
  return 0;
}
