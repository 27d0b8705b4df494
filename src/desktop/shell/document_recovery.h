#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "core/model/document_file.h"

namespace kalvory {

// Unsaved changes kept in the data folder when the desktop session ends and nobody can be
// asked. Two files:
//   "recovery.alr"   the document, in the ordinary document format;
//   "recovery.path"  the path of the file the document belongs to, its bytes exactly and
//                    nothing else (so any path works, new lines included); empty for a
//                    document that was never saved.
// The copy exists exactly while "recovery.alr" does. Writing removes the old note first and
// writes the new one last, so an interrupted write can at worst lose the note; the document is
// then offered as an untitled one, and never saved over a file it does not belong to.
class RecoveryCopy {
 public:
  static constexpr std::string_view kDocumentName = "recovery.alr";
  static constexpr std::string_view kNoteName = "recovery.path";
  // Where a copy that cannot be read is moved, so that it is not offered at every start but is
  // not destroyed either.
  static constexpr std::string_view kDamagedName = "recovery-damaged.alr";
  // A path is a few kilobytes at most; a note larger than this is not one of ours.
  static constexpr std::size_t kMaxNoteSize = 64 * 1024;

  explicit RecoveryCopy(std::string folder) : folder_(std::move(folder)) {}

  std::string documentPath() const;
  std::string notePath() const;
  bool exists() const;

  // Writes `document` (with the folder, when missing) and the note; the document's modified
  // flag stays as it was, since its own file still lacks the changes.
  DocumentFileResult write(CAlarmDoc& document, const std::string& originalPath) const;
  // The path from the note; empty when the note is missing, too large or holds no usable path.
  std::string originalPath() const;
  // Reads the kept document.
  DocumentFileResult read(CAlarmDoc& document) const;

  void remove() const;
  void setAside() const;

 private:
  std::string folder_;
};

}  // namespace kalvory
