#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/UniqueFd.h"

namespace ui {

// A view of a PixelMapping, unmapped when it goes away.
class MappedView {
 public:
  MappedView() = default;
  MappedView(void* address, std::size_t size) : address_(address), size_(size) {}
  MappedView(MappedView&& other) noexcept;
  MappedView& operator=(MappedView&& other) noexcept;
  MappedView(const MappedView&) = delete;
  MappedView& operator=(const MappedView&) = delete;
  ~MappedView() { Reset(); }

  std::uint8_t* Data() const { return static_cast<std::uint8_t*>(address_); }
  std::size_t Size() const { return size_; }
  explicit operator bool() const { return address_ != nullptr; }
  void Reset();

 private:
  void* address_ = nullptr;
  std::size_t size_ = 0;
};

// Anonymous memory outside the heap (a memfd) that holds decoded pixels for the life of an
// image. It stays mapped while the image lives: mapping it afresh for every draw cost more
// page-table work than the blend itself.
class PixelMapping {
 public:
  PixelMapping() = default;
  // False when the memory cannot be made or mapped.
  bool Create(std::size_t size);
  void Close() {
    view_.Reset();
    fd_.Reset();
    size_ = 0;
  }
  bool IsOpen() const { return fd_.IsValid() && static_cast<bool>(view_); }
  std::size_t Size() const { return size_; }
  // The pixels, read-write; null when not open.
  std::uint8_t* Data() const { return view_.Data(); }

 private:
  platform::UniqueFd fd_;
  MappedView view_;
  std::size_t size_ = 0;
};

}  // namespace ui
