#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// The text an end ellipsis appends.
inline constexpr std::string_view kEllipsis = "...";

// Splits UTF-8 text into the lines DrawText draws in a box `width` pixels wide and `height`
// pixels tall (lines lineHeight apart), following the kDt* flags: line breaks start new lines
// unless kDtSingleLine; kDtWordBreak wraps at spaces (a word wider than the box keeps a line
// of its own); kDtEndEllipsis cuts every line wider than the box to end in "..." and, when
// wrapped lines overflow the box, ends the last line that fits with "...". `measure` gives the
// width of a string.
std::vector<std::string> LayoutTextLines(std::string_view utf8, std::int32_t width,
                                         std::int32_t height, std::int32_t lineHeight,
                                         std::uint32_t flags,
                                         const std::function<std::int32_t(std::string_view)>& measure);

// The longest prefix of the line that fits `width` with "..." after it, plus "...".
std::string EllipsizeToWidth(std::string_view line, std::int32_t width,
                             const std::function<std::int32_t(std::string_view)>& measure);

}  // namespace platform
