#include "catalogue/ItemRef.h"

namespace catalogue {

namespace {

template <typename Record>
std::unique_ptr<Record> CopyOf(const std::unique_ptr<Record>& record) {
  return record ? std::make_unique<Record>(*record) : nullptr;
}

}  // namespace

ItemRef::ItemRef(std::unique_ptr<AudioCueRecord> record)
    : kind_(kAudioCue), audio_(std::move(record)) {}

ItemRef::ItemRef(std::unique_ptr<CueListRecord> record)
    : kind_(kCueList), cueList_(std::move(record)) {}

ItemRef::ItemRef(std::unique_ptr<TextCueRecord> record)
    : kind_(kTextCue), text_(std::move(record)) {}

ItemRef::ItemRef(const ItemRef& other)
    : kind_(other.kind_),
      audio_(CopyOf(other.audio_)),
      cueList_(CopyOf(other.cueList_)),
      text_(CopyOf(other.text_)) {}

ItemRef& ItemRef::operator=(const ItemRef& other) {
  if (this != &other) *this = ItemRef(other);
  return *this;
}

const void* ItemRef::record() const {
  switch (kind_) {
    case kAudioCue:
      return audio_.get();
    case kCueList:
      return cueList_.get();
    case kTextCue:
      return text_.get();
    default:
      return nullptr;
  }
}

}  // namespace catalogue
