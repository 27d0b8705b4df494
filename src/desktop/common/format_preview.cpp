#include "desktop/common/format_preview.h"

#include "desktop/common/qt_text.h"

namespace kalvory {

FormatPreview::FormatPreview(UiLanguage language, Use use, std::function<TimeFormatSources()> sources, QWidget* parent)
    : QLabel(parent), language_(language), use_(use), sources_(std::move(sources)) {
  setObjectName(QStringLiteral("formatPreview"));
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  setTextInteractionFlags(Qt::TextSelectableByMouse);
}

void FormatPreview::showFormat(const QString& typed) {
  const std::string format = toStdString(typed);
  TimeFormatSources sources;
  if (sources_) {
    sources = sources_();
  } else {
    sources.now = systemNow();
  }
  const std::string marked = use_ == Use::Clock ? insertRaisedTextMarks(format) : format;
  const Result<std::string> result = formatTimeText(marked, sources);
  understood_ = result.ok();
  if (understood_) {
    // The marks are for the on-screen windows' drawing; here they would show as boxes.
    QString shown = toQString(result.value());
    shown.remove(QChar(0x80)).remove(QChar(0x81)).remove(QChar(0x82));
    setStyleSheet(QString());
    setText(toQString(loadString(StringId::FormatPreviewLabel, language_)) + QLatin1Char(' ') + shown);
    return;
  }
  QString message;
  if (const std::optional<UnknownFormatCode> unknown = firstUnknownFormatCode(format)) {
    // Positions count characters from 1, as the user sees them in the field.
    const qsizetype position = toQString(std::string_view(format).substr(0, unknown->offset)).size() + 1;
    message = toQString(loadString(StringId::FormatNotUnderstood, language_))
                  .replace(QLatin1String("%s"), toQString(unknown->code))
                  .replace(QLatin1String("%i"), QString::number(position));
  } else {
    message = toQString(result.error());
  }
  if (use_ == Use::Clock) message += QLatin1Char(' ') + toQString(loadString(StringId::ClockFormatFallback, language_));
  setStyleSheet(QStringLiteral("color: #b00020;"));
  setText(message);
}

}  // namespace kalvory
