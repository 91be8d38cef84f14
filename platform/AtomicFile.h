#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include "platform/UniqueFd.h"

namespace platform {

// Writes a file by atomic replace: the data goes to a temporary file in the same folder,
// which is flushed to disk and then renamed over the target. Until `Commit` succeeds the
// previous contents of the target stay untouched; a writer destroyed without a successful
// commit removes its temporary file.
class AtomicFileWriter {
 public:
  explicit AtomicFileWriter(std::filesystem::path target);
  ~AtomicFileWriter();
  AtomicFileWriter(const AtomicFileWriter&) = delete;
  AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

  // False when the temporary file could not be created (see `Error`).
  bool IsOpen() const { return fd_.IsValid(); }

  // Appends bytes; false on the first failure (a full disk, say), after which Commit fails.
  bool Write(const void* data, std::size_t size);
  bool Write(std::string_view text) { return Write(text.data(), text.size()); }

  // fsync, close, rename over the target, fsync the folder.
  bool Commit();

  // What went wrong, for a debug line; empty while all is well.
  const std::string& Error() const { return error_; }

  const std::filesystem::path& TemporaryPath() const { return temporary_; }

 private:
  void Fail(const char* what);

  std::filesystem::path target_;
  std::filesystem::path temporary_;
  UniqueFd fd_;
  bool failed_ = false;
  bool committed_ = false;
  std::string error_;
};

// Convenience: the whole contents in one call. On failure `error` says why.
bool WriteFileAtomically(const std::filesystem::path& target, std::string_view contents,
                         std::string& error);

}  // namespace platform
