#include "desktop/common/message_box_reporter.h"

#include <QMessageBox>

namespace kalvory {

void MessageBoxReporter::reportError(std::string_view title, std::string_view message) {
  const QString caption =
      title.empty() ? QStringLiteral("Kalvory") : QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
  auto* box =
      new QMessageBox(QMessageBox::Warning, caption,
                      QString::fromUtf8(message.data(), static_cast<qsizetype>(message.size())), QMessageBox::Ok);
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setObjectName(QStringLiteral("errorBox"));
  box->show();
}

}  // namespace kalvory
