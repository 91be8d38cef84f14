#pragma once

#include "catalogue/ItemRecords.h"
#include "screens/TitledScreen.h"

namespace screens {

// Tab 1: the featured CueLists. Today it shows its title; the list of CueLists, its paging
// and the request behind it come with the featured screen itself.
class FeaturedScreen : public TitledScreen {
 public:
  FeaturedScreen() : TitledScreen(u"Featured CueLists") {}

  // The CueList the list has selected; null while there is none.
  const CueListRecord* SelectedCueList() const { return nullptr; }
};

}  // namespace screens
