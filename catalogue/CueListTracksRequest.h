#pragma once

#include <memory>
#include <vector>

#include "catalogue/CatalogueRequest.h"
#include "catalogue/ItemRecords.h"

namespace catalogue {

// The tracks of one CueList, as AudioCue records (song_id empty).
class CueListTracksRequest : public CatalogueRequest {
 public:
  using CatalogueRequest::CatalogueRequest;
  ~CueListTracksRequest() override;

  // `text` is the CueList's playlist_id; it is form-encoded into requestText (at most 127
  // bytes, never a split escape), so that no id can add query keys of its own.
  void buildUrl(const char* text) override;
  void clearItems() override;
  std::size_t resultCount() const override { return items_.size(); }
  AudioCueRecord* itemAt(std::size_t index) const;

 private:
  void beginDocument() override;
  void onElementStart(const char* name) override;
  void onElementEnd(const char* name) override;
  void onFieldText(int code, std::string_view text) override;

  std::vector<std::unique_ptr<AudioCueRecord>> items_;
  std::unique_ptr<AudioCueRecord> current_;  // the track being read, zero-filled at its start
};

}  // namespace catalogue
