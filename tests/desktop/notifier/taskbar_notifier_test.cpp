#include "desktop/notifier/taskbar_notifier.h"

#include <gtest/gtest.h>

#include <QEnterEvent>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "core/model/alarm_doc.h"
#include "desktop/alarms/postpone_dialog.h"
#include "desktop/alarms/turn_off_feature.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/common/qt_text.h"
#include "desktop/notifier/notifier_feature.h"
#include "desktop/notifier/notifiers_page.h"

namespace kalvory::test {
namespace {

constexpr ColorRef kMagenta = makeColorRef(255, 0, 255);
const QRect kScreen(0, 0, 1024, 768);

QImage picture(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(40, 90, 160));
  return image;
}

// A popup of the given picture size on a screen whose work area is `work`.
struct Popup {
  Popup(int width, int height, const QRect& work) {
    EXPECT_TRUE(popup.SetSkin(picture(width, height), kMagenta));
    popup.setScreenAreas(kScreen, work);
    popup.SetFonts("Arimo", 120, 0, 1);
    popup.SetTextColors(makeColorRef(0, 0, 0), makeColorRef(200, 0, 0));
  }
  CTaskbarNotifier popup;
};

TEST(TaskbarNotifier, SlidesFromTheBottomIn75StepsOf6msStaysAndSlidesBack) {
  Popup p(100, 150, QRect(0, 0, 1024, 740));
  CTaskbarNotifier& popup = p.popup;
  popup.Show("Meeting", 500, 5000, 500);
  EXPECT_EQ(popup.edge(), TaskbarEdge::Bottom);
  EXPECT_EQ(popup.appearPeriod(), 6);
  EXPECT_EQ(popup.disappearPeriod(), 6);
  EXPECT_EQ(popup.startPosition(), QPoint(924, 740));
  EXPECT_EQ(popup.runningTimer(), 1);
  for (int i = 0; i < 75; ++i) popup.appearStep();
  EXPECT_EQ(popup.currentPosition(), QPoint(924, 590));
  EXPECT_EQ(popup.state(), CTaskbarNotifier::Appearing);
  popup.appearStep();  // fully out: the stay begins
  EXPECT_EQ(popup.state(), CTaskbarNotifier::Showing);
  EXPECT_EQ(popup.runningTimer(), 2);
  EXPECT_EQ(popup.pos(), QPoint(924, 590));
  popup.stayOver();
  EXPECT_EQ(popup.runningTimer(), 3);
  for (int i = 0; i < 75; ++i) popup.disappearStep();
  EXPECT_EQ(popup.state(), CTaskbarNotifier::Disappearing);
  EXPECT_EQ(popup.currentPosition(), QPoint(924, 740));
  popup.disappearStep();
  EXPECT_EQ(popup.state(), CTaskbarNotifier::Hidden);
  EXPECT_EQ(popup.runningTimer(), 0);
  EXPECT_FALSE(popup.isVisible());
}

TEST(TaskbarNotifier, TheOtherEdgesStartOutsideTheWorkArea) {
  Popup right(100, 60, QRect(0, 0, 980, 768));
  right.popup.Show("x", 500, 1000, 500);
  EXPECT_EQ(right.popup.edge(), TaskbarEdge::Right);
  EXPECT_EQ(right.popup.appearPeriod(), 10);  // along the width: 500 / 50
  EXPECT_EQ(right.popup.startPosition(), QPoint(980, 708));
  for (int i = 0; i < 51; ++i) right.popup.appearStep();
  EXPECT_EQ(right.popup.currentPosition(), QPoint(880, 708));
  EXPECT_EQ(right.popup.state(), CTaskbarNotifier::Showing);

  Popup left(100, 60, QRect(44, 0, 980, 768));
  left.popup.Show("x", 500, 1000, 500);
  EXPECT_EQ(left.popup.edge(), TaskbarEdge::Left);
  EXPECT_EQ(left.popup.startPosition(), QPoint(-56, 708));

  Popup top(100, 60, QRect(0, 30, 1024, 738));
  top.popup.Show("x", 500, 1000, 500);
  EXPECT_EQ(top.popup.edge(), TaskbarEdge::Top);
  EXPECT_EQ(top.popup.startPosition(), QPoint(924, -30));
  for (int i = 0; i < 31; ++i) top.popup.appearStep();
  EXPECT_EQ(top.popup.currentPosition(), QPoint(924, 30));
}

TEST(TaskbarNotifier, ShapeDropsTheColumnsPastAMultipleOf4AndExactKeyPixels) {
  QImage image = picture(201, 10);
  image.setPixelColor(5, 5, QColor(255, 0, 255));
  image.setPixelColor(6, 5, QColor(254, 0, 255));  // near the key colour is kept
  const QRegion shape = notifierRegion(image, kMagenta);
  EXPECT_EQ(shape.boundingRect(), QRect(0, 0, 200, 10));
  EXPECT_FALSE(shape.contains(QPoint(5, 5)));
  EXPECT_TRUE(shape.contains(QPoint(6, 5)));
  EXPECT_TRUE(shape.contains(QPoint(199, 9)));
  EXPECT_FALSE(shape.contains(QPoint(200, 0)));

  CTaskbarNotifier popup;
  EXPECT_FALSE(popup.SetSkin("/nonexistent/notifier.bmp", 255, 0, 255));
  popup.Show("no picture", 500, 1000, 500);  // nothing to slide: stays hidden without timers
  EXPECT_EQ(popup.state(), CTaskbarNotifier::Hidden);
  EXPECT_EQ(popup.runningTimer(), 0);
}

TEST(TaskbarNotifier, ShowWhileDisappearingReturnsToTheShownPlaceAndStaysAgain) {
  Popup p(100, 150, QRect(0, 0, 1024, 740));
  CTaskbarNotifier& popup = p.popup;
  popup.Show("first", 500, 5000, 500);
  for (int i = 0; i < 76; ++i) popup.appearStep();
  popup.stayOver();
  for (int i = 0; i < 10; ++i) popup.disappearStep();
  EXPECT_EQ(popup.currentPosition(), QPoint(924, 610));
  popup.Show("second", 500, 5000, 500);
  EXPECT_EQ(popup.currentPosition(), QPoint(924, 590));
  EXPECT_EQ(popup.pos(), QPoint(924, 590));
  EXPECT_EQ(popup.runningTimer(), 2);
  EXPECT_EQ(popup.text(), "second");

  // Between the stay's end and the first step back a Show restarts the stay alone.
  popup.stayOver();
  EXPECT_EQ(popup.runningTimer(), 3);
  popup.Hide();
  EXPECT_EQ(popup.runningTimer(), 0);
  EXPECT_EQ(popup.state(), CTaskbarNotifier::Hidden);
}

TEST(TaskbarNotifier, HoverSwitchesLookAtOnceAndClicksSendTheirMessages) {
  Popup p(100, 150, QRect(0, 0, 1024, 740));
  CTaskbarNotifier& popup = p.popup;
  popup.setOpacities(200, 255);
  popup.SetCloseBox(QRect(80, 0, 20, 20));
  int stops = 0;
  int postpones = 0;
  QObject::connect(&popup, &CTaskbarNotifier::stopClicked, [&] { ++stops; });
  QObject::connect(&popup, &CTaskbarNotifier::postponeClicked, [&] { ++postpones; });
  popup.Show("Meeting", 500, 5000, 500);
  for (int i = 0; i < 76; ++i) popup.appearStep();

  EXPECT_EQ(popup.currentAlpha(), 254);
  EXPECT_EQ(popup.currentTextColor(), QColor(0, 0, 0));
  EXPECT_FALSE(popup.currentFont().bold());
  QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
  QCoreApplication::sendEvent(&popup, &enter);
  EXPECT_TRUE(popup.mouseOver());
  EXPECT_EQ(popup.currentAlpha(), 138);
  EXPECT_EQ(popup.currentTextColor(), QColor(200, 0, 0));
  EXPECT_TRUE(popup.currentFont().bold());
  QEvent leave(QEvent::Leave);
  QCoreApplication::sendEvent(&popup, &leave);
  EXPECT_FALSE(popup.mouseOver());
  EXPECT_EQ(popup.currentAlpha(), 254);

  QTest::mouseClick(&popup, Qt::LeftButton, {}, QPoint(90, 5));
  EXPECT_EQ(stops, 1);
  EXPECT_EQ(postpones, 0);
  QTest::mouseClick(&popup, Qt::LeftButton, {}, QPoint(40, 60));
  EXPECT_EQ(postpones, 1);
  EXPECT_EQ(popup.state(), CTaskbarNotifier::Showing);  // a click leaves the popup as it is
  EXPECT_EQ(popup.runningTimer(), 2);

  EXPECT_EQ(notifierAlpha(100), 255);
  EXPECT_EQ(notifierAlpha(200), 254);
  EXPECT_EQ(notifierAlpha(255), 138);
}

// The running program: a due reminder with a notifier pops it up; a click runs "Turn off", a
// click on the close box turns the ringing reminder off.
TEST(TaskbarNotifier, TheProgramShowsTheNamedNotifierAndAnswersItsClicks) {
  for (const bool closeBox : {false, true}) {
    FrameFixture fixture;
    const QString file = fixture.dataFolder.path() + "/popup.png";
    ASSERT_TRUE(picture(120, 80).save(file));
    CTBNotifierContext first;
    first.name = "Other";
    first.skinPath = toStdString(file);
    CTBNotifierContext named = first;
    named.name = "Blue";
    named.closeBox = {100, 0, 120, 20};
    fixture.document.notifiers = {first, named};
    CAlarmLine line(COleDateTime(2026, 5, 7, 9, 30, 0));
    line.text =
        "Call \xC2\x80"
        "a home";
    line.notifier = "Blue";
    fixture.document.AddAlarm(line);
    bool ringing = false;
    QObject::connect(&fixture.program->alarms(), &AlarmController::ringingChanged, [&](bool r) { ringing = r; });
    std::vector<int> ran;
    QObject::connect(&fixture.program->actions(), &ActionRegistry::commandRan, [&](int id) { ran.push_back(id); });
    fixture.tick();
    ASSERT_TRUE(ringing);
    const auto& popups = fixture.program->notifiers().popups();
    ASSERT_EQ(popups.size(), 2U);
    CTaskbarNotifier& popup = *popups[1];
    EXPECT_EQ(popups[0]->state(), CTaskbarNotifier::Hidden);
    EXPECT_EQ(popup.runningTimer(), 1);
    EXPECT_EQ(popup.text(), "Call  home");
    popup.appearStep();
    QTest::mouseClick(&popup, Qt::LeftButton, {}, closeBox ? QPoint(110, 5) : QPoint(20, 40));
    // The body asks how to turn off; the close box turns off at once.
    if (!closeBox) {
      ASSERT_NE(fixture.program->turnOff().dialog(), nullptr);
      fixture.program->turnOff().dialog()->accept();
    }
    EXPECT_FALSE(ringing);
    EXPECT_EQ(std::count(ran.begin(), ran.end(), ID_TURN_OFF), closeBox ? 0 : 1);
  }
}

}  // namespace
}  // namespace kalvory::test

namespace kalvory::test {
namespace {

// A reloaded definition list (a new or opened document) gives new popups; an unknown name shows
// nothing, an empty one the first popup.
TEST(TaskbarNotifier, PopupsFollowTheDocumentsDefinitions) {
  FrameFixture fixture;
  const QString file = fixture.dataFolder.path() + "/popup.png";
  ASSERT_TRUE(picture(120, 80).save(file));
  CTBNotifierContext definition;
  definition.name = "First";
  definition.skinPath = toStdString(file);
  fixture.document.notifiers = {definition};
  NotifierFeature& notifiers = fixture.program->notifiers();
  notifiers.ShowNotifier("a", 5, "");
  ASSERT_EQ(notifiers.popups().size(), 1U);
  EXPECT_EQ(notifiers.popups()[0]->runningTimer(), 1);
  notifiers.HideAllNotifiers();
  EXPECT_EQ(notifiers.popups()[0]->runningTimer(), 0);

  definition.name = "Second";
  fixture.document.notifiers.push_back(definition);
  notifiers.ShowNotifier("b", 5, "Missing");
  ASSERT_EQ(notifiers.popups().size(), 2U);
  EXPECT_EQ(notifiers.popups()[1]->definitionName(), "Second");
  EXPECT_EQ(notifiers.popups()[0]->runningTimer() + notifiers.popups()[1]->runningTimer(), 0);
  notifiers.ShowNotifier("c", 5, "Second");
  EXPECT_EQ(notifiers.popups()[1]->text(), "c");
}

}  // namespace
}  // namespace kalvory::test

namespace kalvory::test {
namespace {

// The notifier feature's configuration page: "Set as default" moves the one mark and the default
// name, and OK hands both over, the marks only to the list the page was opened on.
TEST(NotifiersPage, SetAsDefaultMovesTheOneMarkAndOkHandsItOver) {
  CAlarmDoc document;
  for (const char* name : {"Classic", "Night", "Plain"}) {
    CTBNotifierContext notifier;
    notifier.name = name;
    notifier.isDefault = std::string(name) == "Classic";
    document.notifiers.push_back(notifier);
  }
  ApplicationSettings settings;
  settings.app.default_notifier = "Classic";
  CSetNotifiersDlgBar page(UiLanguage::English);
  page.load(settings, document);
  EXPECT_EQ(page.markedRow(), "Classic");
  page.list()->setCurrentRow(2);
  page.setDefaultButton()->click();
  EXPECT_EQ(page.markedRow(), "Plain");
  EXPECT_TRUE(document.notifiers[0].isDefault) << "nothing changes before OK";

  page.store(settings, document);
  EXPECT_EQ(settings.app.default_notifier, "Plain");
  EXPECT_FALSE(document.notifiers[0].isDefault);
  EXPECT_FALSE(document.notifiers[1].isDefault);
  EXPECT_TRUE(document.notifiers[2].isDefault);

  // A document whose list was loaded again meanwhile keeps its own marks.
  document.notifiers.pop_back();
  document.notifiers[0].isDefault = true;
  page.store(settings, document);
  EXPECT_TRUE(document.notifiers[0].isDefault);
}

}  // namespace
}  // namespace kalvory::test
