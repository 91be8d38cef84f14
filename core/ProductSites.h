#pragma once

// The product's web addresses: its site (help and download pages) and its online music
// store (the artist search of "Purchase").
namespace core {
inline constexpr const char* kProductSite = "http://www.vornalo.com";
inline constexpr const char* kStoreSite = "http://store.vornalo.com";
inline constexpr const char* kStoreArtistSearch = "/s/ref=nb_ss_m?url=search-alias%3Dmusic-artist&field-keywords=";
}  // namespace core
