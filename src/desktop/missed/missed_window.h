#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "core/alarms/missed_reminders.h"
#include "core/resources/resource_strings.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace kalvory {

class CAlarmDoc;
class CAlarmLine;

// "While you were away": the reminders whose window passed unseen, with their time and text;
// each can be postponed by five minutes or turned off, and so can all of them at once. Turning
// one off only takes it from the list: its window has passed, and it stays armed for its next
// occurrence. The window closes when the list is empty.
class CMissedRemindersWindow final : public QDialog {
  Q_OBJECT
 public:
  static constexpr std::int64_t kPostponeSeconds = 300;

  CMissedRemindersWindow(CAlarmDoc& document, std::function<UiLanguage()> language, std::function<COleDateTime()> clock,
                         QWidget* parent = nullptr);

  // Adds the missed reminders that are not listed yet and shows the window.
  void addMissed(const std::vector<MissedReminder>& missed);
  void languageChanged();

  int rowCount() const;
  // The row's buttons, for the tests and the keyboard.
  void postponeRow(int row);
  void turnOffRow(int row);
  void postponeAll();
  void turnOffAll();

 signals:
  // A reminder was postponed: the document changed.
  void documentChanged();

 private:
  struct Row {
    const CAlarmLine* line;  // compared against the document before use: it may have been deleted
    COleDateTime start;
  };
  void rebuild();
  int rowOf(const CAlarmLine* line) const;
  CAlarmLine* liveLine(const CAlarmLine* line) const;
  void postponeLine(const Row& row);

  CAlarmDoc& document_;
  std::function<UiLanguage()> language_;
  std::function<COleDateTime()> clock_;
  std::vector<Row> rows_;
  QLabel* intro_ = nullptr;
  QTreeWidget* list_ = nullptr;
  QPushButton* postponeAll_ = nullptr;
  QPushButton* turnOffAll_ = nullptr;
};

}  // namespace kalvory
