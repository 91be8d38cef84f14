#include "platform/gfx/TextLayout.h"

#include "platform/gfx/Canvas.h"

namespace platform {
namespace {

bool IsContinuationByte(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Start of the code point before `end`.
std::size_t PreviousCharStart(std::string_view text, std::size_t end) {
  if (end == 0) return 0;
  std::size_t i = end - 1;
  while (i > 0 && IsContinuationByte(text[i])) --i;
  return i;
}

std::vector<std::string_view> SplitParagraphs(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' || text[i] == '\n') {
      out.push_back(text.substr(start, i - start));
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) out.push_back(text.substr(start));
  return out;
}

std::string_view TrimTrailingSpaces(std::string_view s) {
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

// Greedy wrap of one paragraph at spaces.
void WrapParagraph(std::string_view paragraph, std::int32_t width,
                   const std::function<std::int32_t(std::string_view)>& measure,
                   std::vector<std::string>& lines) {
  std::size_t lineStart = 0;
  while (lineStart < paragraph.size() && paragraph[lineStart] == ' ') ++lineStart;
  if (lineStart >= paragraph.size()) {
    lines.emplace_back();
    return;
  }
  while (lineStart < paragraph.size()) {
    std::size_t lineEnd = lineStart;  // end of the last word that fits
    std::size_t pos = lineStart;
    while (pos < paragraph.size()) {
      std::size_t wordEnd = pos;
      while (wordEnd < paragraph.size() && paragraph[wordEnd] == ' ') ++wordEnd;
      while (wordEnd < paragraph.size() && paragraph[wordEnd] != ' ') ++wordEnd;
      std::string_view candidate = TrimTrailingSpaces(paragraph.substr(lineStart, wordEnd - lineStart));
      if (lineEnd != lineStart && measure(candidate) > width) break;
      lineEnd = wordEnd;
      pos = wordEnd;
    }
    lines.emplace_back(TrimTrailingSpaces(paragraph.substr(lineStart, lineEnd - lineStart)));
    lineStart = lineEnd;
    while (lineStart < paragraph.size() && paragraph[lineStart] == ' ') ++lineStart;
  }
}

}  // namespace

std::string EllipsizeToWidth(std::string_view line, std::int32_t width,
                             const std::function<std::int32_t(std::string_view)>& measure) {
  std::size_t end = line.size();
  std::string candidate;
  while (true) {
    candidate.assign(TrimTrailingSpaces(line.substr(0, end)));
    candidate.append(kEllipsis);
    if (end == 0 || measure(candidate) <= width) return candidate;
    end = PreviousCharStart(line, end);
  }
}

std::vector<std::string> LayoutTextLines(std::string_view utf8, std::int32_t width,
                                         std::int32_t height, std::int32_t lineHeight,
                                         std::uint32_t flags,
                                         const std::function<std::int32_t(std::string_view)>& measure) {
  std::vector<std::string> lines;
  if (flags & kDtSingleLine) {
    std::string flat(utf8);
    for (char& c : flat) {
      if (c == '\r' || c == '\n') c = ' ';
    }
    lines.push_back(std::move(flat));
  } else {
    for (std::string_view paragraph : SplitParagraphs(utf8)) {
      if (flags & kDtWordBreak) {
        WrapParagraph(paragraph, width, measure, lines);
      } else {
        lines.emplace_back(paragraph);
      }
    }
  }
  if (!(flags & kDtEndEllipsis)) return lines;

  bool overflowed = false;
  if ((flags & kDtWordBreak) && !(flags & kDtSingleLine) && lineHeight > 0 &&
      static_cast<std::int64_t>(lines.size()) * lineHeight > height) {
    std::size_t fit = static_cast<std::size_t>(std::max<std::int32_t>(1, height / lineHeight));
    if (fit < lines.size()) {
      lines.resize(fit);
      overflowed = true;
    }
  }
  for (std::size_t i = 0; i < lines.size(); ++i) {
    bool last = i + 1 == lines.size();
    if (measure(lines[i]) > width) {
      lines[i] = EllipsizeToWidth(lines[i], width, measure);
    } else if (last && overflowed) {
      std::string withMark = lines[i] + std::string(kEllipsis);
      lines[i] = measure(withMark) <= width ? withMark : EllipsizeToWidth(lines[i], width, measure);
    }
  }
  return lines;
}

}  // namespace platform
