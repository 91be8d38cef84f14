#pragma once

#include <cstdint>
#include <memory>

#include "catalogue/ItemRecords.h"

namespace catalogue {

// One item of a mixed list: a record and its kind code. Owns its record; copies are deep, so
// a list that takes a copy (the Current Playlist) never shares a record with another list.
class ItemRef {
 public:
  explicit ItemRef(std::unique_ptr<AudioCueRecord> record);
  explicit ItemRef(std::unique_ptr<CueListRecord> record);
  explicit ItemRef(std::unique_ptr<TextCueRecord> record);
  ItemRef(const ItemRef& other);
  ItemRef& operator=(const ItemRef& other);
  ItemRef(ItemRef&&) noexcept = default;
  ItemRef& operator=(ItemRef&&) noexcept = default;
  ~ItemRef() = default;

  ItemKind kind() const { return kind_; }
  // The record when the item is of that kind, else null.
  AudioCueRecord* audioCue() const { return audio_.get(); }
  CueListRecord* cueList() const { return cueList_.get(); }
  TextCueRecord* textCue() const { return text_.get(); }
  // The record, whatever its kind.
  const void* record() const;

 private:
  ItemKind kind_;
  std::unique_ptr<AudioCueRecord> audio_;
  std::unique_ptr<CueListRecord> cueList_;
  std::unique_ptr<TextCueRecord> text_;
};

}  // namespace catalogue
