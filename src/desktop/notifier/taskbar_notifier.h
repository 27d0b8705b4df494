#pragma once

#include <QBasicTimer>
#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>
#include <QWidget>
#include <functional>
#include <optional>

#include "core/settings/system_colors.h"

namespace kalvory {

// The screen edge the taskbar (panel) sits on, judged from the work area against the screen.
enum class TaskbarEdge { Top = 1, Left = 2, Right = 3, Bottom = 4 };

TaskbarEdge taskbarEdge(const QRect& screen, const QRect& workArea);

// The window alpha of an opacity value: opacity x 255 / 100 of which only the low 8 bits count,
// so 100 gives 255, 200 gives 254 and 255 gives 138 (definition files rely on those values).
int notifierAlpha(int opacity);

// The popup's shape: the picture's rectangle with its width rounded down to a multiple of 4, less
// every pixel of exactly the transparent colour.
QRegion notifierRegion(const QImage& picture, ColorRef transparent);

// The skinned popup that slides out of the edge next to the taskbar with a reminder's text, stays
// for a while and slides back. A click on the close box stops the ringing reminders, anywhere
// else asks for the turn-off dialog.
class CTaskbarNotifier final : public QWidget {
  Q_OBJECT
 public:
  enum State { Hidden = 0, Appearing = 1, Showing = 2, Disappearing = 3 };

  explicit CTaskbarNotifier(QWidget* owner = nullptr);
  ~CTaskbarNotifier() override;

  // Loads the picture; on failure false and nothing else changes.
  bool SetSkin(const QString& pictureFile, int red, int green, int blue);
  bool SetSkin(const QImage& picture, ColorRef transparent);
  // Size in tenths of a point; style bits: 1 bold, 2 italic, 4 underline.
  void SetFonts(const QString& face, int sizeTenths, int normalStyle, int selectedStyle);
  void SetTextColors(ColorRef normal, ColorRef selected);
  void SetTextRect(const QRect& rect) { textRect_ = rect; }
  void SetCloseBox(const QRect& rect) { closeBox_ = rect; }
  void setOpacities(int normal, int selected) {
    normalOpacity_ = normal;
    selectedOpacity_ = selected;
  }
  void setDefinitionName(const std::string& name) { definitionName_ = name; }
  const std::string& definitionName() const { return definitionName_; }

  void Show(const QString& text, unsigned timeToAppear, unsigned timeToStay, unsigned timeToDisappear);
  void Hide();

  // The screen and its work area; the primary screen's when not set (tests set them).
  void setScreenAreas(const QRect& screen, const QRect& workArea) { areas_ = {screen, workArea}; }

  // The timer ticks, callable directly so that the motion can be followed step by step.
  void appearStep();
  void stayOver();
  void disappearStep();

  State state() const { return state_; }
  TaskbarEdge edge() const { return edge_; }
  QPoint currentPosition() const { return current_; }
  QPoint startPosition() const { return start_; }
  int appearPeriod() const { return appearPeriod_; }
  int disappearPeriod() const { return disappearPeriod_; }
  // 0 when no timer runs, else the running timer's id (1 appearing, 2 staying, 3 disappearing).
  int runningTimer() const;
  bool mouseOver() const { return mouseOver_; }
  const QString& text() const { return text_; }
  const QImage& picture() const { return picture_; }
  const QRegion& shape() const { return region_; }
  // The look in use now, by the mouse-over flag.
  int currentAlpha() const;
  QColor currentTextColor() const;
  QFont currentFont() const;

  // The popup as it draws itself, 32-bit with alpha 0 outside its shape.
  QImage renderImage() const;

 signals:
  // The two click messages to the owner.
  void postponeClicked();  // anywhere outside the close box: the turn-off dialog
  void stopClicked();      // the close box: turn off every ringing reminder

 protected:
  void paintEvent(QPaintEvent* event) override;
  void timerEvent(QTimerEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void drawContents(QPainter& painter) const;
  void placeOnTop();
  QRect shownPlaceOf(const QRect& work) const;
  std::pair<QRect, QRect> screenAreas() const;
  void setHover(bool over);
  void startTimer(int id, int period);
  void stopTimer(int id);

  std::string definitionName_;
  QString text_;
  QImage picture_;
  QRegion region_;
  QRect textRect_;
  QRect closeBox_;
  QFont normalFont_;
  QFont selectedFont_;
  ColorRef normalColor_ = 0xB59285;
  ColorRef selectedColor_ = 0x6A240A;
  int normalOpacity_ = 200;
  int selectedOpacity_ = 255;
  bool mouseOver_ = false;
  State state_ = Hidden;
  TaskbarEdge edge_ = TaskbarEdge::Bottom;
  unsigned timeToAppear_ = 0;
  unsigned timeToStay_ = 0;
  unsigned timeToDisappear_ = 0;
  int appearPeriod_ = 0;
  int disappearPeriod_ = 0;
  QRect work_;
  QPoint start_;
  QPoint current_;
  static constexpr int kStep = 2;
  QBasicTimer timers_[3];
  std::optional<std::pair<QRect, QRect>> areas_;
};

}  // namespace kalvory
