#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>
#include <utility>

#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"
#include "desktop/common/now_from.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

class CAlarmDoc;

// What the pages of the configuration dialog ask the user and the system, given to each page at
// construction; an empty member is the real thing (the file, folder and font dialogs, a message
// box, the autostart entry, the system clock). Tests give stand-ins.
struct ConfigPageServices {
  std::function<QString(const QString& title, const QString& start, QWidget* parent)> chooseFolder;
  std::function<QString(QWidget* parent)> choosePattern;  // a ".bmp" tile for the wallpaper's pattern
  std::function<bool(const QString& question, QWidget* parent)> confirm;
  std::function<void(const QString& message, QWidget* parent)> showMessage;
  std::function<std::optional<QFont>(const QFont& current, QWidget* parent)> chooseFont;
  std::function<std::optional<QColor>(const QColor& current, QWidget* parent)> chooseColor;
  // Runs the special symbol dialog; true when the clipboard then holds a symbol to paste.
  std::function<bool(QWidget* parent)> chooseSymbol;
  std::function<bool()> autostartEnabled;
  std::function<void(bool enabled)> setAutostart;
  Clock clock;  // the time the format previews show
};

class ConfigPage;

// A page as a feature hands it to the configuration dialog: its title and how to make it. The
// dialog makes the page when it opens, in its language and with the services of the program (or
// of a test).
struct ConfigPageSource {
  StringId title;
  std::function<ConfigPage*(UiLanguage language, const ConfigPageServices& services, QWidget* parent)> make;
};

// One page of the configuration dialog: it takes its values from the dialog's copy of the
// settings and from the document when the dialog opens, and writes them back only on OK.
class ConfigPage : public QWidget {
 public:
  ConfigPage(UiLanguage language, QWidget* parent, ConfigPageServices services = {})
      : QWidget(parent), language_(language), services_(std::move(services)) {}
  virtual void load(const ApplicationSettings& settings, const CAlarmDoc& document) = 0;
  virtual void store(ApplicationSettings& settings, CAlarmDoc& document) = 0;

 protected:
  QString text(StringId id) const { return toQString(loadString(id, language_)); }
  UiLanguage language() const { return language_; }
  const ConfigPageServices& services() const { return services_; }

 private:
  UiLanguage language_;
  ConfigPageServices services_;
};

}  // namespace kalvory
