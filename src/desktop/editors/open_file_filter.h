#pragma once

#include <QString>
#include <QStringList>

namespace kalvory {

// The file-type filters of the string tables are written the classic way, description and
// patterns separated by "|" and ended by "||":
//   "Music Files (*.mp3;*.wav)|*.mp3;*.wav| All Files (*.*)|*.*||"
// This gives the filters of a Qt file dialog, one entry per pair: the description, trimmed,
// followed by the patterns in brackets. Linux file names are case-sensitive, so each pattern
// also matches its upper-case form, and "*.*" (which would miss names without a dot) becomes
// "*". An entry without patterns is dropped.
QStringList qtFileFilters(const QString& classicFilter);

// What a reminder or note editor asks of its file dialog.
struct OpenFileRequest {
  QString title;
  QStringList filters;     // as qtFileFilters gives them
  QString selectedFilter;  // one of `filters` to start with
  QString startPath;       // the current value of the field: its folder is shown first
};

}  // namespace kalvory
