#pragma once

#include <QStringList>

namespace kalvory {

// The arguments without the options Qt itself reads (QApplication takes them again from argv):
// a session manager restarts the program with "-session ID", and a user may give "-platform
// xcb" or "-style Fusion"; none of them is an unknown option or a document.
QStringList withoutToolkitOptions(const QStringList& arguments);

}  // namespace kalvory
