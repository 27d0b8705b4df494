// A text field in a program of its own, standing in for the text editor a user pastes into.
// Prints "focused" once the field has the keyboard focus, then a line "text: ..." whenever its
// text changes, and "key: ..." for every key sequence that reaches it (so that a test can tell
// a Ctrl+V from a Ctrl+Shift+V).
#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLineEdit>
#include <QTimer>
#include <cstdio>

namespace {

void say(const QString& line) {
  std::printf("%s\n", line.toUtf8().constData());
  std::fflush(stdout);
}

class Field final : public QLineEdit {
 protected:
  void keyPressEvent(QKeyEvent* event) override {
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
      say(QStringLiteral("key: ") + QKeySequence(event->keyCombination()).toString(QKeySequence::PortableText));
    QLineEdit::keyPressEvent(event);
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  Field field;
  field.setWindowTitle(QStringLiteral("Paste target"));
  field.setMinimumWidth(400);
  QObject::connect(&field, &QLineEdit::textChanged, [](const QString& text) { say(QStringLiteral("text: ") + text); });
  field.show();
  field.activateWindow();
  field.setFocus();
  // The window system gives the focus some time after the window is shown.
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!field.hasFocus() || !field.isActiveWindow()) {
      field.activateWindow();
      return;
    }
    poll.stop();
    say(QStringLiteral("focused"));
  });
  poll.start(50);
  return application.exec();
}
