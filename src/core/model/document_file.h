#pragma once

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "core/common/result.h"
#include "core/model/alarm_doc.h"

namespace kalvory {

// A document file that could not be read or written, as thrown inside the reader and writer. The
// message is one line: "FILE: offset N: reason" for a damaged file, "FILE: reason" otherwise.
class DocumentFileError : public std::runtime_error {
 public:
  DocumentFileError(std::string path, std::optional<std::size_t> offset, std::string reason);
  const std::string& path() const { return path_; }
  std::optional<std::size_t> offset() const { return offset_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string path_;
  std::optional<std::size_t> offset_;
  std::string reason_;
};

// Files larger than this are refused rather than read into memory.
inline constexpr std::size_t kMaxDocumentFileSize = std::size_t{512} * 1024 * 1024;

// The outcome of reading or writing a document file. error() is the one line of DocumentFileError;
// reason() is that line without the file and the offset, for a window that names the file itself.
class [[nodiscard]] DocumentFileResult : public Result<void> {
 public:
  DocumentFileResult() = default;
  explicit DocumentFileResult(const DocumentFileError& error)
      : Result<void>(Failure{error.what()}), reason_(error.reason()) {}
  const std::string& reason() const { return reason_; }

 private:
  std::string reason_;
};

// Reads `path` into `doc`. On any failure `doc` is unchanged.
DocumentFileResult loadDocumentFile(CAlarmDoc& doc, const std::string& path);

// Writes `doc` to `path` through a temporary file beside it that is flushed to disk and then
// renamed over `path`, so a failed or interrupted save leaves the previous file whole. Clears
// the modified flag on success.
DocumentFileResult saveDocumentFile(CAlarmDoc& doc, const std::string& path,
                                    const CAlarmDoc::StoreOptions& options = CAlarmDoc::StoreOptions{});

// The stored form of `doc` as bytes, and `doc` read from bytes (ArchiveError on damage).
std::string storeDocumentBytes(const CAlarmDoc& doc,
                               const CAlarmDoc::StoreOptions& options = CAlarmDoc::StoreOptions{});
void loadDocumentBytes(CAlarmDoc& doc, std::string_view bytes);

}  // namespace kalvory
