#include "platform/AtomicFile.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace platform {

AtomicFileWriter::AtomicFileWriter(std::filesystem::path target) : target_(std::move(target)) {
  std::string pattern = target_.string() + ".tmp.XXXXXX";
  int fd = ::mkstemp(pattern.data());
  if (fd < 0) {
    Fail("create temporary file");
    return;
  }
  ::fchmod(fd, 0644);
  fd_.Reset(fd);
  temporary_ = pattern;
}

AtomicFileWriter::~AtomicFileWriter() {
  if (!committed_ && !temporary_.empty()) {
    fd_.Reset();
    ::unlink(temporary_.c_str());
  }
}

void AtomicFileWriter::Fail(const char* what) {
  if (!failed_) error_ = std::string(what) + ": " + std::strerror(errno);
  failed_ = true;
}

bool AtomicFileWriter::Write(const void* data, std::size_t size) {
  if (!fd_ || failed_) return false;
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t n = ::write(fd_.Get(), bytes, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail("write");
      return false;
    }
    bytes += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

bool AtomicFileWriter::Commit() {
  if (!fd_ || failed_) return false;
  if (::fsync(fd_.Get()) != 0) {
    Fail("fsync");
    return false;
  }
  if (::close(fd_.Release()) != 0) {
    Fail("close");
    return false;
  }
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) {
    Fail("rename");
    return false;
  }
  committed_ = true;
  // Make the rename itself durable.
  auto folder = target_.parent_path();
  UniqueFd dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir) ::fsync(dir.Get());
  return true;
}

bool WriteFileAtomically(const std::filesystem::path& target, std::string_view contents,
                         std::string& error) {
  AtomicFileWriter writer(target);
  bool ok = writer.Write(contents) && writer.Commit();
  if (!ok) error = writer.Error();
  return ok;
}

}  // namespace platform
