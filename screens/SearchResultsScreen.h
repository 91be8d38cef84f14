#pragma once

#include <string>

#include "catalogue/ItemRef.h"
#include "screens/TitledScreen.h"

namespace screens {

// Tab 0: the results of the last search. Today it shows its title and the query it was
// given; the results list, paging and outcome texts come with the search itself.
class SearchResultsScreen : public TitledScreen {
 public:
  SearchResultsScreen() : TitledScreen(u"Search Results") {}

  // Takes the result kinds (7 all, 1 AudioCues, 2 CueLists, 4 TextCues) and the query.
  void NewSearch(std::int32_t kinds, const std::u16string& query);
  // The item the list has selected; null while there is none.
  const ItemRef* SelectedItem() const { return nullptr; }

  void AppendScreenText(std::vector<std::string>& lines) const override;

 private:
  std::int32_t kinds_ = 0;
  std::u16string query_;
};

}  // namespace screens
