#pragma once

#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

#include "desktop/common/config_page.h"
#include "desktop/sync/sync_settings.h"
#include "platform/caldav/caldav_sync.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace kalvory {

// "Sync": the CalDAV server, the user, the password (kept in the secret store, never in the
// settings), the calendar chosen from the server's own list, and sync on or off. The values
// reach the program only on OK.
class SyncPage final : public ConfigPage {
  Q_OBJECT
 public:
  struct Services {
    // Asks the server for the user's calendars, off the GUI thread; the answer comes back through
    // the event loop.
    std::function<void(const QUrl& server, const DavAccount& account,
                       std::function<void(std::vector<CalendarInfo>, QString failure)>)>
        findCalendars;
    // OK: the settings as they stand on the page, and the password when it was typed there (an
    // untouched field gives none, so that a password the secret store had not handed over yet
    // when OK was pressed is never taken for an empty one).
    std::function<void(const SyncSettings&, const std::optional<QString>& password)> confirmed;
  };

  SyncPage(UiLanguage language, SyncSettings settings, QString password, Services services, QWidget* parent = nullptr);
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;

  // What the program knows: the secret store's answer and where the sync stands.
  void setSecretStoreProblem(const QString& problem);
  void setSecretStoreAsking();
  void setStatus(const QString& status);
  // The document the sync is bound to (or would be, once switched on).
  void setDocument(const QString& path);
  // A password found in the secret store after the page opened, unless one was typed already.
  void offerPassword(const QString& password);

  // The page's values as they stand.
  SyncSettings settings() const;
  void findCalendars();

  QCheckBox* enabledBox() const { return enabled_; }
  QLineEdit* serverEdit() const { return server_; }
  QLineEdit* userEdit() const { return user_; }
  QLineEdit* passwordEdit() const { return password_; }
  QComboBox* calendarBox() const { return calendar_; }
  QPushButton* findButton() const { return find_; }
  QLabel* findMessage() const { return findMessage_; }
  QLabel* secretStoreMessage() const { return secret_; }
  QLabel* statusMessage() const { return status_; }
  QLabel* documentName() const { return document_; }

 private:
  void fill();
  void showFindMessage(const QString& text, bool problem);

  SyncSettings initial_;
  QString initialPassword_;
  Services services_;
  QCheckBox* enabled_ = nullptr;
  QLineEdit* server_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QComboBox* calendar_ = nullptr;
  QPushButton* find_ = nullptr;
  QLabel* findMessage_ = nullptr;
  QLabel* secret_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* document_ = nullptr;
  int search_ = 0;  // counts searches: only the latest one's answer is shown
};

}  // namespace kalvory
