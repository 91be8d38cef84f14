#pragma once

#include <string>
#include <vector>

namespace server {

// What a playlist file names: its title and its entries in order. Entries are as the file
// spells them (trimmed, '\\' read as '/', file:// URIs kept whole) until PlaylistFile resolves
// them against the library.
struct PlaylistContents {
  std::string title;  // "#PLAYLIST:" if given, else the file name without its extension
  std::vector<std::string> entries;
};

}  // namespace server
