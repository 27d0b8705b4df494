#include "desktop/app/command_line.h"

namespace kalvory {

namespace {

// Qt's own options (QGuiApplication, QApplication and the X11 platform), with or without a value.
const QStringList kWithValue = {
    QStringLiteral("-session"),        QStringLiteral("-platform"),        QStringLiteral("-platformpluginpath"),
    QStringLiteral("-platformtheme"),  QStringLiteral("-plugin"),          QStringLiteral("-display"),
    QStringLiteral("-style"),          QStringLiteral("-stylesheet"),      QStringLiteral("-qwindowgeometry"),
    QStringLiteral("-qwindowtitle"),   QStringLiteral("-qwindowicon"),     QStringLiteral("-name"),
    QStringLiteral("-title"),          QStringLiteral("-geometry"),        QStringLiteral("-qmljsdebugger"),
    QStringLiteral("-visual"),         QStringLiteral("-fn"),              QStringLiteral("-font"),
    QStringLiteral("-bg"),             QStringLiteral("-background"),      QStringLiteral("-fg"),
    QStringLiteral("-foreground"),     QStringLiteral("-btn"),             QStringLiteral("-button"),
    QStringLiteral("-im"),             QStringLiteral("-inputstyle"),
};
const QStringList kWithoutValue = {QStringLiteral("-reverse"), QStringLiteral("-widgetcount"),
                                   QStringLiteral("-nograb"),  QStringLiteral("-dograb"),
                                   QStringLiteral("-sync"),    QStringLiteral("-cmap")};

}  // namespace

QStringList withoutToolkitOptions(const QStringList& arguments) {
  QStringList kept;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    // "-session=ID" and "--session ID" are read as well.
    const QString name = (argument.startsWith(QLatin1String("--")) ? argument.mid(1) : argument).section(u'=', 0, 0);
    if (kWithValue.contains(name)) {
      if (!argument.contains(u'=')) ++i;  // its value
      continue;
    }
    if (kWithoutValue.contains(name)) continue;
    kept << argument;
  }
  return kept;
}

}  // namespace kalvory
