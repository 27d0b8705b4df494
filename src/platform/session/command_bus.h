#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <functional>

namespace kalvory {

// The running program's commands on the session bus, so that any desktop's own keyboard
// settings can bind a key to "kalvory --command NAME", whatever global keys the session allows.
inline constexpr char kCommandBusService[] = "org.kalvory.Kalvory";
inline constexpr char kCommandBusPath[] = "/org/kalvory/Kalvory";
inline constexpr char kCommandBusInterface[] = "org.kalvory.Kalvory";
// The error a call gets for a name the program does not know.
inline constexpr char kUnknownCommandError[] = "org.kalvory.Kalvory.Error.UnknownCommand";

// The program's side: Command(s name) runs a command once the call has been answered (a command
// may open a dialog, and the caller must not wait for the user); Commands() names them all.
class CommandBusServer final : public QObject, protected QDBusContext {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kalvory.Kalvory")
 public:
  // `run` carries out a known name.
  CommandBusServer(QStringList names, std::function<void(const QString&)> run, QObject* parent = nullptr);
  ~CommandBusServer() override;

  // Exports the object and takes the well-known name; false with `problem` when the bus is not
  // there or another program holds the name.
  bool publish(const QDBusConnection& bus, QString* problem);

 public slots:
  void Command(const QString& name);
  QStringList Commands() const { return names_; }

 private:
  QStringList names_;
  std::function<void(const QString&)> run_;
  QString connectionName_;
  bool published_ = false;
};

// The caller's side, for "kalvory --command NAME": what to print and the exit code.
struct CommandCallOutcome {
  int exitCode = 0;
  QString output;  // for stdout
  QString error;   // for stderr
};
CommandCallOutcome callRunningProgram(const QDBusConnection& bus, const QString& name, int timeoutMilliseconds = 5000);

}  // namespace kalvory
