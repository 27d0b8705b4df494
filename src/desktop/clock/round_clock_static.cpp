#include "desktop/clock/round_clock_static.h"

#include <QFileInfo>
#include <QFontInfo>
#include <QPainter>
#include <algorithm>

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
  shown_.reset();
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
  // An empty region would lift the mask altogether; such a face shows nothing instead (see
  // paintEvent).
  if (shape_.isEmpty())
    clearMask();
  else
    setMask(shape_);
  shown_.reset();
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
  shown_.reset();
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

void CRoundClockStatic::tick() {
  if (!isVisible()) return;
  if (shown_ && *shown_ == shownTimeOf(now())) return;
  update();
}

void CRoundClockStatic::paintEvent(QPaintEvent*) {
  if (shape_.isEmpty()) return;
  const COleDateTime time = now();
  QPainter painter(this);
  painter.drawImage(0, 0, dialImage(time));
  shown_ = shownTimeOf(time);
}

void CRoundClockStatic::showEvent(QShowEvent*) {
  // The tick runs only while the clock can be seen, so a program hidden in the tray does not
  // wake every second for it.
  timer_.start();
}

void CRoundClockStatic::hideEvent(QHideEvent*) { timer_.stop(); }

}  // namespace kalvory
