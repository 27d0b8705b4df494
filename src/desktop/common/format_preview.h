#pragma once

#include <QLabel>
#include <functional>

#include "core/clock/time_format.h"
#include "core/resources/resource_strings.h"

namespace kalvory {

// A live look at a clock or QuickPaste format, shown under its field: the text the format gives
// now, or, for a format that cannot be used, which code is not understood and where, so that a
// typing mistake is seen at once instead of the clock silently falling back to its default.
class FormatPreview final : public QLabel {
  Q_OBJECT
 public:
  enum class Use { Clock, QuickPaste };

  // `sources` gives what the program's own codes read (now, the countdown, today's notes).
  FormatPreview(UiLanguage language, Use use, std::function<TimeFormatSources()> sources, QWidget* parent = nullptr);

  // Formats `format` and shows the result or the problem.
  void showFormat(const QString& format);
  // Whether the last format shown can be used.
  bool understood() const { return understood_; }

 private:
  UiLanguage language_;
  Use use_;
  std::function<TimeFormatSources()> sources_;
  bool understood_ = true;
};

}  // namespace kalvory
