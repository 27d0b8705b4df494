// Stands in for plasmashell on a private session bus: owns org.kde.plasmashell, answers
// evaluateScript at /PlasmaShell and appends each script it receives to the file named by its
// argument, followed by a line "--- end of script".
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QObject>
#include <QString>
#include <cstdio>

class FakePlasmaShell : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
 public:
  explicit FakePlasmaShell(QString log) : log_(std::move(log)) {}

 public slots:
  QString evaluateScript(const QString& script) {
    QFile file(log_);
    if (file.open(QIODevice::Append)) {
      file.write(script.toUtf8());
      file.write("\n--- end of script\n");
    }
    return QString();
  }

 private:
  QString log_;
};

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: fake_plasmashell LOG_FILE\n");
    return 2;
  }
  FakePlasmaShell shell(QString::fromLocal8Bit(argv[1]));
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.registerObject(QStringLiteral("/PlasmaShell"), &shell, QDBusConnection::ExportAllSlots) ||
      !bus.registerService(QStringLiteral("org.kde.plasmashell"))) {
    std::fprintf(stderr, "fake_plasmashell: cannot take the bus name\n");
    return 1;
  }
  return app.exec();
}

#include "fake_plasmashell.moc"
