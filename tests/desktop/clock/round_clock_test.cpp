#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include "core/clock/analog_clock.h"
#include "desktop/clock/clock_render.h"
#include "desktop/clock/round_clock_static.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/common/picture_shape.h"

namespace kalvory {
namespace {

QImage builtInFace() { return QImage(QString::fromLatin1(kBuiltInClockFace)).convertToFormat(QImage::Format_RGB32); }

bool sameArea(const QRegion& a, const QRegion& b) { return a.xored(b).isEmpty(); }

// Lets every posted update reach the widgets.
void flushEvents() {
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
}

class PaintCounter final : public QObject {
 public:
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return false;
  }
};

// A face of key colour with an opaque grey square from (40, 40) to (123, 123).
void writeSquareFace(const QString& file) {
  QImage face(kAnalogClockSize, kAnalogClockSize, QImage::Format_RGB32);
  face.fill(QColor(255, 0, 255));
  QPainter(&face).fillRect(40, 40, 84, 84, QColor(200, 200, 200));
  ASSERT_TRUE(face.save(file, "BMP"));
}

void writeSkin(const QString& file, const QString& face, const QString& handsColor) {
  QFile out(file);
  ASSERT_TRUE(out.open(QIODevice::WriteOnly));
  out.write(QStringLiteral("<xml><AnalogClock><Skin>%1</Skin><HandsColor>%2</HandsColor>"
                           "<IsDatePresent>1</IsDatePresent></AnalogClock></xml>")
                .arg(face, handsColor)
                .toUtf8());
}

TEST(RoundClockStatic, ShowsTheHandsDrawnOverTheFaceWithTheKeyColourCutAway) {
  CRoundClockStatic clock;
  const COleDateTime time(2026, 5, 7, 3, 59, 41);
  clock.setClock([time] { return time; });
  AnalogClockSettings settings;
  settings.handType = 1;
  settings.hourHandColor = makeColorRef(200, 40, 30);
  settings.secondHandColor = makeColorRef(20, 40, 200);
  clock.setSettings(settings);

  QImage expected = builtInFace();
  drawAnalogClockHands(pixelViewOf(expected), settings, ClockTime{3, 59, 41});
  EXPECT_EQ(clock.dialImage(time), expected);

  // The shape is the face less its magenta.
  const QImage face = builtInFace();
  int kept = 0;
  for (int y = 0; y < face.height(); ++y)
    for (int x = 0; x < face.width(); ++x) {
      const bool magenta = (face.pixel(x, y) & 0xFFFFFF) == 0xFF00FF;
      ASSERT_EQ(clock.shape().contains(QPoint(x, y)), !magenta) << x << "," << y;
      kept += magenta ? 0 : 1;
    }
  EXPECT_GT(kept, 160 * 160 * 3 / 4);

  // What the widget paints inside its shape is that image.
  const QImage painted = clock.grab().toImage().convertToFormat(QImage::Format_RGB32);
  int differing = 0;
  for (const QRect& rect : clock.shape())
    for (int y = rect.top(); y <= rect.bottom(); ++y)
      for (int x = rect.left(); x <= rect.right(); ++x) differing += painted.pixel(x, y) != expected.pixel(x, y);
  EXPECT_EQ(differing, 0);
  // Outside it the view beneath shows: the face's magenta never reaches the screen.
  QWidget view;
  view.setStyleSheet(QStringLiteral("background: #102030"));
  view.setAutoFillBackground(true);
  view.resize(200, 200);
  clock.setParent(&view);
  const QImage onView = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
  for (const QPoint corner : {QPoint(0, 0), QPoint(163, 0), QPoint(0, 163), QPoint(163, 163), QPoint(20, 20)})
    EXPECT_EQ(onView.pixel(corner) & 0xFFFFFF, 0x102030u) << corner.x() << "," << corner.y();
  EXPECT_EQ(onView.pixel(82, 30), expected.pixel(82, 30));
  clock.setParent(nullptr);

  // The rendered file: the same pixels, transparent outside the face.
  RenderRequest request;
  request.time = time;
  const QImage rendered = renderAnalogClock(request).image;
  ASSERT_EQ(rendered.size(), QSize(kAnalogClockSize, kAnalogClockSize));
  for (const QPoint corner : {QPoint(0, 0), QPoint(163, 0), QPoint(0, 163), QPoint(163, 163), QPoint(20, 20)})
    EXPECT_EQ(qAlpha(rendered.pixel(corner)), 0) << corner.x() << "," << corner.y();
  EXPECT_EQ(rendered.pixel(82, 30), expected.pixel(82, 30));
  EXPECT_EQ(qAlpha(rendered.pixel(82, 82)), 255);
}

TEST(RoundClockStatic, DrawsTheDayOfTheMonthAtTheSkinsPlaceOnlyWhenAskedTo) {
  CRoundClockStatic clock;
  const COleDateTime time(2026, 5, 27, 12, 0, 0);  // the hands point straight up, clear of the date
  AnalogClockSettings settings;
  settings.secondShown = false;
  settings.dateX = 30;
  settings.dateY = 90;
  settings.dateColor = makeColorRef(0, 0, 255);
  clock.setSettings(settings);
  const QImage without = clock.dialImage(time);

  settings.dateShown = true;
  clock.setSettings(settings);
  const QImage with = clock.dialImage(time);

  QRect changed;
  bool inDateColour = false;
  for (int y = 0; y < with.height(); ++y)
    for (int x = 0; x < with.width(); ++x)
      if (with.pixel(x, y) != without.pixel(x, y)) {
        changed |= QRect(x, y, 1, 1);
        inDateColour = inDateColour || (with.pixel(x, y) & 0xFFFFFF) == 0x0000FF;
      }
  ASSERT_FALSE(changed.isEmpty());
  EXPECT_TRUE(inDateColour);
  // "27" in a small bold font whose cell starts at (date x + 1, date y - 1).
  EXPECT_GE(changed.left(), 31);
  EXPECT_LE(changed.left(), 31 + 3);
  EXPECT_GE(changed.top(), 89);
  EXPECT_LE(changed.top(), 89 + 8);
  EXPECT_LE(changed.right(), 31 + 30);
  EXPECT_LE(changed.bottom(), 89 + 20);
}

TEST(RoundClockStatic, RepaintsOnlyWhenTheSecondChangesAndTicksOnlyWhileItCanBeSeen) {
  QWidget parent;
  parent.resize(200, 200);
  auto* clock = new CRoundClockStatic(&parent);
  COleDateTime now(2026, 5, 7, 10, 0, 0);
  clock->setClock([&now] { return now; });
  PaintCounter counter;
  clock->installEventFilter(&counter);
  EXPECT_FALSE(clock->ticking());

  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  EXPECT_TRUE(clock->ticking());
  flushEvents();
  ASSERT_GT(counter.paints, 0);
  const int first = counter.paints;

  clock->tick();  // the same second: nothing to draw
  flushEvents();
  EXPECT_EQ(counter.paints, first);

  now = COleDateTime(2026, 5, 7, 10, 0, 1);
  clock->tick();
  flushEvents();
  EXPECT_EQ(counter.paints, first + 1);

  // Hidden (the main window in the tray), the clock neither ticks nor paints.
  parent.hide();
  EXPECT_FALSE(clock->ticking());
  const int hidden = counter.paints;
  now = COleDateTime(2026, 5, 7, 10, 0, 2);
  clock->tick();
  flushEvents();
  EXPECT_EQ(counter.paints, hidden);
  parent.show();
  EXPECT_TRUE(clock->ticking());
}

// Each second only the pixels the hands moved over are drawn again; what the window shows must
// still be the whole dial of that second, second after second.
TEST(RoundClockStatic, TheWindowShowsEachNewSecondWhileOnlyTheChangedPixelsAreDrawn) {
  QWidget parent;
  parent.resize(200, 200);
  auto* clock = new CRoundClockStatic(&parent);
  COleDateTime now(2026, 5, 7, 10, 14, 50);
  clock->setClock([&now] { return now; });
  parent.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&parent));
  flushEvents();
  for (int second = 51; second <= 59 + 3; ++second) {
    now = COleDateTime(2026, 5, 7, 10, 14 + second / 60, second % 60);
    clock->tick();
    flushEvents();
    const QImage screen =
        parent.windowHandle()->screen()->grabWindow(parent.winId()).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage expected = clock->dialImage(now);
    const QPoint at = clock->mapTo(&parent, QPoint(0, 0));
    int differing = 0;
    for (const QRect& rect : clock->shape())
      for (int y = rect.top(); y <= rect.bottom(); ++y)
        for (int x = rect.left(); x <= rect.right(); ++x)
          differing += screen.pixel(at + QPoint(x, y)) != expected.pixel(x, y);
    ASSERT_EQ(differing, 0) << "at second " << second;
  }
}

TEST(RoundClockStatic, TakesTheSkinsFaceAndKeepsTheOldFaceWhenTheNewOneCannotBeLoaded) {
  QTemporaryDir data;
  ASSERT_TRUE(QDir(data.path()).mkpath(QStringLiteral("Skins")));
  writeSquareFace(data.path() + "/Skins/square.bmp");
  // Named from the data folder, as the bundled skins name their faces.
  writeSkin(data.path() + "/Skins/square.xml", QStringLiteral("Skins/square.bmp"), QStringLiteral("#102030"));
  writeSkin(data.path() + "/Skins/broken.xml", QStringLiteral("missing.bmp"), QStringLiteral("#405060"));

  CRoundClockStatic clock;
  const QRegion builtIn = clock.shape();
  EXPECT_TRUE(clock.applySkinFile(data.path() + "/Skins/square.xml", data.path()));
  EXPECT_TRUE(sameArea(clock.shape(), QRegion(40, 40, 84, 84)));
  EXPECT_FALSE(sameArea(clock.shape(), builtIn));
  EXPECT_EQ(clock.settings().hourHandColor, makeColorRef(0x10, 0x20, 0x30));
  EXPECT_EQ(clock.settings().minuteHandColor, makeColorRef(0x10, 0x20, 0x30));
  EXPECT_TRUE(clock.settings().dateShown);

  // A face that cannot be loaded leaves the face; the rest of the skin still applies.
  EXPECT_FALSE(clock.applySkinFile(data.path() + "/Skins/broken.xml", data.path()));
  EXPECT_TRUE(sameArea(clock.shape(), QRegion(40, 40, 84, 84)));
  EXPECT_EQ(clock.settings().hourHandColor, makeColorRef(0x40, 0x50, 0x60));

  // A skin file that is not there changes nothing and is not created.
  EXPECT_FALSE(clock.applySkinFile(data.path() + "/Skins/none.xml", data.path()));
  EXPECT_FALSE(QFile::exists(data.path() + "/Skins/none.xml"));
  EXPECT_EQ(clock.settings().hourHandColor, makeColorRef(0x40, 0x50, 0x60));
}

TEST(RoundClockStatic, SitsInTheMainWindowWithTheCurrentSkin) {
  test::FrameFixture fixture;
  const QString data = fixture.dataFolder.path();
  ASSERT_TRUE(QDir(data).mkpath(QStringLiteral("Skins")));
  writeSquareFace(data + "/Skins/square.bmp");
  writeSkin(data + "/Skins/skin.xml", QStringLiteral("Skins/square.bmp"), QStringLiteral("#102030"));

  CRoundClockStatic& clock = fixture.program->analogClock();
  EXPECT_TRUE(fixture.frame->viewHost()->isAncestorOf(&clock));  // in the main view
  fixture.program->activate();
  EXPECT_TRUE(sameArea(clock.shape(), QRegion(40, 40, 84, 84)));
  EXPECT_EQ(clock.settings().hourHandColor, makeColorRef(0x10, 0x20, 0x30));

  fixture.frame->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(fixture.frame));
  EXPECT_TRUE(clock.isVisible());
  EXPECT_TRUE(clock.ticking());
  // It shows the program's time, not the system's.
  const QImage painted = clock.grab().toImage().convertToFormat(QImage::Format_RGB32);
  const QImage expected = clock.dialImage(fixture.now);
  EXPECT_EQ(painted.copy(40, 40, 84, 84), expected.copy(40, 40, 84, 84));
  fixture.frame->hide();
  EXPECT_FALSE(clock.ticking());
}

}  // namespace
}  // namespace kalvory
