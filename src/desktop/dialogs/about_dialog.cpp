#include "desktop/dialogs/about_dialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "core/core.h"
#include "core/resources/resource_strings.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/date_icon.h"
#include "desktop/common/program_title.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

CTransparentAboutDlg::CTransparentAboutDlg(UiLanguage language, QWidget* parent) : QDialog(parent) {
  setWindowTitle(toQString(loadString(StringId::AboutTitle, language)));
  setObjectName(QStringLiteral("aboutDialog"));
  setWindowOpacity(0.96);

  auto* icon = new QLabel(this);
  icon->setPixmap(programIcon().pixmap(72, 72));
  icon->setAlignment(Qt::AlignTop);

  auto* name = new QLabel(programTitle(), this);
  QFont big = name->font();
  big.setPointSizeF(big.pointSizeF() * 1.8);
  big.setBold(true);
  name->setFont(big);

  auto* body =
      new QLabel(toQString(loadString(StringId::AboutBody, language)).arg(QString::fromLatin1(versionString())), this);
  body->setWordWrap(true);
  body->setMinimumWidth(300);

  auto* text = new QVBoxLayout;
  text->addWidget(name);
  text->addWidget(body);
  text->addStretch();

  auto* top = new QHBoxLayout;
  top->addWidget(icon);
  top->addSpacing(12);
  top->addLayout(text, 1);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(18, 18, 18, 12);
  layout->addLayout(top);
  layout->addSpacing(8);
  layout->addWidget(buttons);
  setFixedSize(sizeHint());
}

void registerAboutCommand(ActionRegistry& actions, std::function<QWidget*()> parent) {
  actions.add(ID_APP_ABOUT, [&actions, parent = std::move(parent)] {
    QWidget* owner = parent ? parent() : nullptr;
    CTransparentAboutDlg about(actions.uiLanguage(), owner && owner->isVisible() ? owner : nullptr);
    about.exec();
  });
}

}  // namespace kalvory
