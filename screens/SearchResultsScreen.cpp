#include "screens/SearchResultsScreen.h"

#include "platform/TextCodec.h"

namespace screens {

void SearchResultsScreen::NewSearch(std::int32_t kinds, const std::u16string& query) {
  kinds_ = kinds;
  query_ = query;
}

void SearchResultsScreen::AppendScreenText(std::vector<std::string>& lines) const {
  TitledScreen::AppendScreenText(lines);
  if (kinds_ != 0 && !query_.empty()) lines.push_back("text " + platform::Utf16ToUtf8(query_));
}

}  // namespace screens
