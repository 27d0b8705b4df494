#include "desktop/clock/round_clock_static.h"

#include <QFileInfo>
#include <QFontInfo>
#include <QPainter>
#include <algorithm>
#include <utility>

#include "core/settings/profile.h"
#include "core/skins/definitions.h"
#include "desktop/common/now_from.h"
#include "desktop/common/picture_shape.h"
#include "desktop/common/qt_text.h"

namespace kalvory {

namespace {

QColor qColorOf(ColorRef color) { return QColor(redOf(color), greenOf(color), blueOf(color)); }

}  // namespace

CRoundClockStatic::CRoundClockStatic(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("clock"));
  setFixedSize(kAnalogClockSize, kAnalogClockSize);
  // Clicks on the clock belong to the view beneath it.
  setAttribute(Qt::WA_TransparentForMouseEvents);
  // The second hand moves as the second begins, in the same wake-up as the alarm check.
  connect(&timer_, &SecondTimer::timeout, this, &CRoundClockStatic::tick);
  setFace(QImage(QString::fromLatin1(kBuiltInClockFace)));
}

void CRoundClockStatic::setClock(Clock clock) {
  clock_ = std::move(clock);
  forgetPainted();
  update();
}

COleDateTime CRoundClockStatic::now() const { return nowFrom(clock_); }

CRoundClockStatic::ShownTime CRoundClockStatic::shownTimeOf(const COleDateTime& time) {
  return ShownTime{time.GetDay(), time.GetHour(), time.GetMinute(), time.GetSecond()};
}

void CRoundClockStatic::setFace(const QImage& picture) {
  // A face smaller than the dial leaves key colour around it, which the shape cuts away; a
  // larger one is cropped, as the dial is always 164 x 164.
  QImage face(kAnalogClockSize, kAnalogClockSize, QImage::Format_RGB32);
  face.fill(QColor(redOf(kClockFaceKeyColor), greenOf(kClockFaceKeyColor), blueOf(kClockFaceKeyColor)));
  {
    QPainter painter(&face);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(0, 0, picture.convertToFormat(QImage::Format_RGB32));
  }
  face_ = face;
  shape_ = pictureShape(face_, kClockFaceKeyColor, kShapeKeyTolerance);
  // The face is cut to its shape in the picture itself rather than by a widget mask: a painter
  // clipped to a round region draws the picture row by row, and Qt hands such fills of more than
  // about a hundred rows to its thread pool, waking several threads every second.
  cutAway_ = QRegion(face_.rect()).subtracted(shape_);
  forgetPainted();
  update();
}

bool CRoundClockStatic::SetSkin(const QString& pictureFile) {
  if (pictureFile.isEmpty()) return false;
  const QImage picture(pictureFile);
  if (picture.isNull()) return false;
  setFace(picture);
  return true;
}

void CRoundClockStatic::setSettings(const AnalogClockSettings& settings) {
  settings_ = settings;
  forgetPainted();
  update();
}

bool CRoundClockStatic::applySkin(CProfile& skin, const QStringList& pictureFolders) {
  const AnalogClockSettings settings = ReadAnalogClockSettings(skin);
  bool faceLoaded = false;
  if (!settings.face.empty()) {
    for (const QString& folder : pictureFolders) {
      const QFileInfo file(toQString(picturePath(toStdString(folder), settings.face)));
      if (file.isFile() && SetSkin(file.absoluteFilePath())) {
        faceLoaded = true;
        break;
      }
    }
  }
  setSettings(settings);
  return faceLoaded;
}

bool CRoundClockStatic::applySkinFile(const QString& skinFile, const QString& dataFolder) {
  const QFileInfo info(skinFile);
  // Loading a store creates a missing file; a skin that is not there must stay not there.
  if (!info.isFile()) return false;
  CProfile skin;
  skin.SetSaveOnClose(false);
  skin.SetStoreDefaults(false);
  skin.SetAddOnWrite(false);
  if (!skin.Load(toStdString(info.absoluteFilePath()))) return false;
  return applySkin(skin, {info.absolutePath(), dataFolder});
}

QImage CRoundClockStatic::dialImage(const COleDateTime& time) const {
  QImage dial = face_.copy();
  if (const auto date = analogClockDate(settings_, time.GetDay())) {
    // The day in bold Arial, one pixel smaller than the window's own font, its cell's top left
    // at the skin's place.
    QFont font(QStringLiteral("Arial"));
    const int windowHeight = -QFontInfo(this->font()).pixelSize();
    font.setPixelSize(std::max(1, -analogClockDateFontHeight(windowHeight)));
    font.setBold(true);
    QPainter painter(&dial);
    painter.setFont(font);
    painter.setPen(qColorOf(date->color));
    painter.drawText(QRect(date->position.x, date->position.y, kAnalogClockSize, kAnalogClockSize),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip, toQString(date->text));
  }
  drawAnalogClockHands(pixelViewOf(dial), settings_, ClockTime{time.GetHour(), time.GetMinute(), time.GetSecond()});
  return dial;
}

QImage CRoundClockStatic::cutDial(const COleDateTime& time) const {
  QImage dial = dialImage(time);
  // Opaque RGB32 pixels are valid premultiplied ones; outside the shape they become see-through,
  // so the view beneath shows there as it did through the mask.
  dial.reinterpretAsFormat(QImage::Format_ARGB32_Premultiplied);
  for (const QRect& rect : cutAway_)
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      std::fill_n(reinterpret_cast<QRgb*>(dial.scanLine(y)) + rect.left(), rect.width(), QRgb{0});
  return dial;
}

void CRoundClockStatic::forgetPainted() {
  painted_ = QImage();
  next_ = QImage();
  shown_.reset();
}

namespace {

// The smallest rectangle holding every pixel in which two pictures of one size differ.
QRect changedArea(const QImage& before, const QImage& after) {
  int top = -1;
  int bottom = -1;
  int left = after.width();
  int right = -1;
  for (int y = 0; y < after.height(); ++y) {
    const auto* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
    const auto* b = reinterpret_cast<const QRgb*>(after.constScanLine(y));
    int first = 0;
    while (first < after.width() && a[first] == b[first]) ++first;
    if (first == after.width()) continue;
    int last = after.width() - 1;
    while (a[last] == b[last]) --last;
    if (top < 0) top = y;
    bottom = y;
    left = std::min(left, first);
    right = std::max(right, last);
  }
  return top < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

}  // namespace

void CRoundClockStatic::tick() {
  if (!isVisible()) return;
  const COleDateTime time = now();
  if (shown_ && *shown_ == shownTimeOf(time)) return;
  if (painted_.isNull()) {
    update();
    return;
  }
  // Only the pixels the hands left or reached are drawn and sent to the screen: a few
  // kilobytes a second instead of the whole dial.
  next_ = cutDial(time);
  nextTime_ = shownTimeOf(time);
  const QRect changed = changedArea(painted_, next_);
  if (changed.isEmpty()) {
    painted_ = std::exchange(next_, QImage());
    shown_ = nextTime_;
    return;
  }
  update(changed);
}

void CRoundClockStatic::paintEvent(QPaintEvent*) {
  if (shape_.isEmpty()) return;
  if (!next_.isNull()) {
    painted_ = std::exchange(next_, QImage());
    shown_ = nextTime_;
  } else if (painted_.isNull()) {
    const COleDateTime time = now();
    painted_ = cutDial(time);
    shown_ = shownTimeOf(time);
  }
  // A repaint the tick did not ask for (an expose) draws what the rest of the dial shows.
  QPainter painter(this);
  painter.drawImage(0, 0, painted_);
}

void CRoundClockStatic::showEvent(QShowEvent*) {
  // What was painted before it was hidden is an old time.
  forgetPainted();
  // The tick runs only while the clock can be seen, so a program hidden in the tray does not
  // wake every second for it.
  timer_.start();
}

void CRoundClockStatic::hideEvent(QHideEvent*) { timer_.stop(); }

}  // namespace kalvory
