// The floor for the idle measurements of measure_costs.py: a bare Qt window of about the main
// window's size with a label that a one-second timer sets to the time. Whatever the program
// costs above this comes from the program, not from Qt, X or the machine.
#include <QApplication>
#include <QLabel>
#include <QTime>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QWidget window;
  window.setWindowTitle(QStringLiteral("idle floor"));
  window.resize(420, 300);
  auto* label = new QLabel(&window);
  auto* layout = new QVBoxLayout(&window);
  layout->addWidget(label);
  QTimer timer;
  timer.setInterval(1000);
  QObject::connect(&timer, &QTimer::timeout, label,
                   [label] { label->setText(QTime::currentTime().toString(QStringLiteral("HH:mm:ss"))); });
  timer.start();
  window.show();
  return application.exec();
}
