#include "desktop/common/message_box_reporter.h"

#include <QMessageBox>

#include "desktop/common/program_title.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

void MessageBoxReporter::reportError(std::string_view title, std::string_view message) {
  const QString caption = title.empty() ? programTitle() : toQString(title);
  auto* box = new QMessageBox(QMessageBox::Warning, caption, toQString(message), QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setObjectName(QStringLiteral("errorBox"));
  box->show();
}

}  // namespace kalvory
