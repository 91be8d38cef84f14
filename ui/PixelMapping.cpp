#include "ui/PixelMapping.h"

#include <sys/mman.h>
#include <unistd.h>

#include <utility>

namespace ui {

MappedView::MappedView(MappedView&& other) noexcept
    : address_(std::exchange(other.address_, nullptr)), size_(std::exchange(other.size_, 0)) {}

MappedView& MappedView::operator=(MappedView&& other) noexcept {
  if (this != &other) {
    Reset();
    address_ = std::exchange(other.address_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void MappedView::Reset() {
  if (address_) ::munmap(address_, size_);
  address_ = nullptr;
  size_ = 0;
}

bool PixelMapping::Create(std::size_t size) {
  Close();
  if (size == 0) return false;
  platform::UniqueFd fd(::memfd_create("vornalo-image", MFD_CLOEXEC));
  if (!fd || ::ftruncate(fd.Get(), static_cast<off_t>(size)) != 0) return false;
  void* address = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd.Get(), 0);
  if (address == MAP_FAILED) return false;
  fd_ = std::move(fd);
  view_ = MappedView(address, size);
  size_ = size;
  return true;
}

}  // namespace ui
