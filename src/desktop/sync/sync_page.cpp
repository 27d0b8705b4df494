#include "desktop/sync/sync_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "desktop/common/qt_text.h"

namespace kalvory {
namespace {

QLabel* wrappedLabel(QWidget* parent) {
  auto* label = new QLabel(parent);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  return label;
}

bool webAddress(const QUrl& url) {
  return url.isValid() && !url.host().isEmpty() &&
         (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"));
}

}  // namespace

SyncPage::SyncPage(UiLanguage language, SyncSettings settings, QString password, Services services, QWidget* parent)
    : ConfigPage(language, parent),
      initial_(std::move(settings)),
      initialPassword_(std::move(password)),
      services_(std::move(services)) {
  auto* intro = wrappedLabel(this);
  intro->setText(text(StringId::SyncIntro));
  enabled_ = new QCheckBox(text(StringId::SyncEnabled), this);

  auto* group = new QGroupBox(this);
  server_ = new QLineEdit(group);
  server_->setPlaceholderText(QStringLiteral("https://"));
  user_ = new QLineEdit(group);
  password_ = new QLineEdit(group);
  password_->setEchoMode(QLineEdit::Password);
  calendar_ = new QComboBox(group);
  calendar_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  calendar_->setMinimumContentsLength(12);
  find_ = new QPushButton(text(StringId::SyncFindCalendars), group);
  findMessage_ = wrappedLabel(group);
  secret_ = wrappedLabel(group);

  auto* grid = new QGridLayout(group);
  const auto row = [grid, group](int at, const QString& title, QWidget* field, int span = 2) {
    auto* label = new QLabel(title, group);
    label->setBuddy(field);
    grid->addWidget(label, at, 0);
    grid->addWidget(field, at, 1, 1, span);
  };
  row(0, text(StringId::SyncServerLabel), server_);
  row(1, text(StringId::SyncUserLabel), user_);
  row(2, text(StringId::SyncPasswordLabel), password_);
  grid->addWidget(secret_, 3, 1, 1, 2);
  row(4, text(StringId::SyncCalendarLabel), calendar_, 1);
  grid->addWidget(find_, 4, 2);
  grid->addWidget(findMessage_, 5, 1, 1, 2);
  document_ = wrappedLabel(group);
  row(6, text(StringId::SyncDocumentLabel), document_);
  grid->setColumnStretch(1, 1);

  status_ = wrappedLabel(this);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(intro);
  layout->addWidget(enabled_);
  layout->addWidget(group);
  layout->addWidget(status_);
  layout->addStretch(1);

  connect(find_, &QPushButton::clicked, this, &SyncPage::findCalendars);
  fill();
}

void SyncPage::load(const ApplicationSettings&, const CAlarmDoc&) { fill(); }

void SyncPage::fill() {
  enabled_->setChecked(initial_.enabled != 0);
  server_->setText(toQString(initial_.server));
  user_->setText(toQString(initial_.user));
  password_->setText(initialPassword_);
  calendar_->clear();
  if (!initial_.calendar.empty()) {
    const QString url = toQString(initial_.calendar);
    calendar_->addItem(initial_.calendar_name.empty() ? url : toQString(initial_.calendar_name), url);
    calendar_->setItemData(0, url, Qt::ToolTipRole);
  }
}

void SyncPage::store(ApplicationSettings&, CAlarmDoc&) {
  if (services_.confirmed)
    services_.confirmed(settings(), password_->isModified() ? std::optional<QString>(password_->text()) : std::nullopt);
}

SyncSettings SyncPage::settings() const {
  SyncSettings settings = initial_;
  settings.enabled = enabled_->isChecked() ? 1 : 0;
  settings.server = toStdString(server_->text().trimmed());
  settings.user = toStdString(user_->text().trimmed());
  if (calendar_->currentIndex() >= 0) {
    const QString url = calendar_->currentData().toString();
    settings.calendar = toStdString(url);
    settings.calendar_name = calendar_->currentText() == url ? std::string() : toStdString(calendar_->currentText());
  } else {
    // An address typed without a search is taken to be the calendar itself.
    settings.calendar = settings.server;
    settings.calendar_name.clear();
  }
  return settings;
}

void SyncPage::showFindMessage(const QString& message, bool problem) {
  findMessage_->setText(message);
  findMessage_->setStyleSheet(problem ? QStringLiteral("color: #b00020;") : QString());
}

void SyncPage::findCalendars() {
  const QUrl server(server_->text().trimmed(), QUrl::StrictMode);
  if (!webAddress(server)) return showFindMessage(text(StringId::SyncAddressInvalid), true);
  if (!services_.findCalendars) return;
  showFindMessage(text(StringId::SyncFinding), false);
  find_->setEnabled(false);
  const int search = ++search_;
  const QString previous = calendar_->currentData().toString();
  QPointer<SyncPage> page(this);
  services_.findCalendars(
      server, DavAccount{user_->text().trimmed(), password_->text()},
      [page, search, previous](std::vector<CalendarInfo> calendars, QString failure) {
        if (!page || search != page->search_) return;
        page->find_->setEnabled(true);
        if (!failure.isEmpty()) return page->showFindMessage(page->text(StringId::SyncFindFailed).arg(failure), true);
        if (calendars.empty()) return page->showFindMessage(page->text(StringId::SyncNoCalendars), true);
        page->calendar_->clear();
        for (const CalendarInfo& calendar : calendars) {
          const QString url = calendar.url.toString(QUrl::FullyEncoded);
          page->calendar_->addItem(calendar.name, url);
          page->calendar_->setItemData(page->calendar_->count() - 1, url, Qt::ToolTipRole);
        }
        const int kept = page->calendar_->findData(previous);
        page->calendar_->setCurrentIndex(kept >= 0 ? kept : 0);
        page->showFindMessage(page->text(StringId::SyncCalendarsFound).arg(static_cast<int>(calendars.size())), false);
      });
}

void SyncPage::setSecretStoreProblem(const QString& problem) {
  secret_->setText(problem.isEmpty() ? text(StringId::SyncPasswordKept)
                                     : text(StringId::SyncNoSecretStore).arg(problem));
  secret_->setStyleSheet(problem.isEmpty() ? QString() : QStringLiteral("color: #b00020;"));
}

void SyncPage::setSecretStoreAsking() {
  secret_->setText(text(StringId::SyncSecretStoreAsking));
  secret_->setStyleSheet(QString());
}

void SyncPage::setStatus(const QString& status) { status_->setText(status); }

void SyncPage::setDocument(const QString& path) { document_->setText(path); }

void SyncPage::offerPassword(const QString& password) {
  if (password_->text().isEmpty() && !password.isEmpty()) {
    password_->setText(password);
    initialPassword_ = password;
  }
}

}  // namespace kalvory
