// The two configuration pages of the on-screen windows, offscreen.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QClipboard>
#include <QDateEdit>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTimeEdit>

#include "core/common/symbol_font.h"
#include "core/model/alarm_doc.h"
#include "desktop/common/color_button.h"
#include "desktop/common/format_preview.h"
#include "desktop/osd/osd_font_page.h"
#include "desktop/osd/time_format_page.h"

namespace kalvory {
namespace {

TEST(OsdFontPage, EditsBothWindowsAndKeepsShiftsAndOpacityInRange) {
  ApplicationSettings settings = defaultSettings({});
  settings.clock.opacity = 60;
  settings.text.shadow_x = 4;
  CAlarmDoc document;
  ConfigPageServices services;
  services.chooseColor = [](const QColor&, QWidget*) { return std::optional<QColor>(Qt::blue); };
  CSetOSDDlgBar page(UiLanguage::English, services);
  page.load(settings, document);

  // It opens on "Clock" with the clock's values.
  EXPECT_EQ(page.currentTab(), CSetOSDDlgBar::kClockTab);
  EXPECT_EQ(page.transparencySlider()->value(), 3);
  EXPECT_EQ(page.fontButton()->text(), QStringLiteral("Font: Georgia"));
  EXPECT_EQ(page.textColorButton()->color(), settings.clock.color);
  EXPECT_TRUE(page.gradientBox()->isChecked());
  EXPECT_TRUE(page.horizontalButton()->isChecked());

  // Typed shifts beyond the range are held to -6..6 when the tab is left.
  page.shiftXEdit()->setText(QStringLiteral("7"));
  page.shiftYEdit()->setText(QStringLiteral("-9"));
  page.transparencySlider()->setValue(1);
  page.selectTab(CSetOSDDlgBar::kReminderTextTab);
  EXPECT_EQ(page.looks(CSetOSDDlgBar::kClockTab).shadowX, 6);
  EXPECT_EQ(page.looks(CSetOSDDlgBar::kClockTab).shadowY, -6);
  EXPECT_EQ(page.looks(CSetOSDDlgBar::kClockTab).opacity, 20);
  EXPECT_EQ(page.shiftXEdit()->text(), QStringLiteral("4"));  // the message's own values now
  EXPECT_EQ(page.fontButton()->text(), QStringLiteral("Font: Comic Sans MS"));

  // The boxes write at once and enable their companions.
  page.gradientBox()->click();
  EXPECT_FALSE(page.looks(CSetOSDDlgBar::kReminderTextTab).gradient);
  EXPECT_FALSE(page.gradientColorButton()->isEnabled());
  EXPECT_FALSE(page.verticalButton()->isEnabled());
  page.shadowBox()->click();
  EXPECT_FALSE(page.shiftXEdit()->isEnabled());
  EXPECT_FALSE(page.shadowColorButton()->isEnabled());
  page.textColorButton()->click();
  page.shiftXEdit()->setText(QStringLiteral("abc"));

  ApplicationSettings stored = settings;
  page.store(stored, document);
  EXPECT_EQ(stored.clock.shadow_x, 6);
  EXPECT_EQ(stored.clock.shadow_y, -6);
  EXPECT_EQ(stored.clock.opacity, 20);
  EXPECT_EQ(stored.text.is_grad, 0);
  EXPECT_EQ(stored.text.is_shadow, 0);
  EXPECT_EQ(stored.text.color, makeColorRef(0, 0, 255));
  EXPECT_EQ(stored.text.shadow_x, 0);  // not a number
  // Nothing the page does not edit changes.
  EXPECT_EQ(stored.clock.format, settings.clock.format);
  EXPECT_EQ(stored.text.show_time, settings.text.show_time);

  // A font without a face reads "Font is not selected".
  settings.clock.font.face_name.clear();
  page.load(settings, document);
  EXPECT_EQ(page.currentTab(), CSetOSDDlgBar::kClockTab);
  EXPECT_EQ(page.fontButton()->text(), QStringLiteral("Font is not selected"));
}

TEST(TimeFormatPage, FormatCountdownAndSymbol) {
  ApplicationSettings settings = defaultSettings({});
  CAlarmDoc document;
  document.countdown_target = COleDateTime(2027, 1, 2, 3, 4, 5);
  bool symbolChosen = true;
  ConfigPageServices services;
  services.chooseSymbol = [&](QWidget*) {
    if (symbolChosen) QGuiApplication::clipboard()->setText(QString::fromUtf8(symbolMarkText('J').c_str()));
    return symbolChosen;
  };
  CSetTimeFormatDlgBar page(UiLanguage::Russian, services);
  page.load(settings, document);
  EXPECT_EQ(page.formatEdit()->text(), QStringLiteral("%H%~%M"));
  EXPECT_EQ(page.formatEdit()->maxLength(), 230);
  EXPECT_TRUE(page.helpText()->isReadOnly());
  EXPECT_TRUE(page.helpText()->toPlainText().contains(QStringLiteral("\n%A")));
  EXPECT_FALSE(page.helpText()->toPlainText().contains(QLatin1Char('\r')));
  EXPECT_EQ(page.datePicker()->date(), QDate(2027, 1, 2));
  EXPECT_EQ(page.timePicker()->time(), QTime(3, 4, 5));

  // The symbol goes in at the cursor.
  page.formatEdit()->setCursorPosition(2);
  page.symbolButton()->click();
  page.datePicker()->setDate(QDate(2026, 12, 31));
  page.timePicker()->setTime(QTime(23, 59, 58));
  page.store(settings, document);
  EXPECT_EQ(settings.clock.format, "%H\xC2\x80J%~%M");
  EXPECT_EQ(document.countdown_target, COleDateTime(2026, 12, 31, 23, 59, 58));

  // A cancelled symbol dialog pastes nothing.
  symbolChosen = false;
  page.symbolButton()->click();
  EXPECT_EQ(page.formatEdit()->text().size(), QStringLiteral("%H\u0080J%~%M").size());
}

// The page shows what a format gives as it is typed, and names the code it does not understand
// and where, instead of the clock silently going back to its default look.
TEST(TimeFormatPage, LivePreviewAndTheCodeNotUnderstood) {
  ApplicationSettings settings = defaultSettings({});
  CAlarmDoc document;
  for (const UiLanguage language : {UiLanguage::English, UiLanguage::Russian, UiLanguage::Ukrainian}) {
    ConfigPageServices services;
    services.clock = [] { return COleDateTime(2026, 12, 8, 10, 48, 5); };
    CSetTimeFormatDlgBar page(language, services);
    page.load(settings, document);
    FormatPreview* preview = page.preview();
    EXPECT_TRUE(preview->understood());
    EXPECT_TRUE(preview->text().endsWith(QStringLiteral(" 1048"))) << preview->text().toStdString();

    page.formatEdit()->setText(QStringLiteral("%Q %H:%M %"));
    EXPECT_FALSE(preview->understood());
    EXPECT_TRUE(preview->text().contains(QStringLiteral("%Q"))) << preview->text().toStdString();
    EXPECT_TRUE(preview->text().contains(QStringLiteral(" 1."))) << preview->text().toStdString();

    page.formatEdit()->setText(QStringLiteral("%H:%M %"));
    EXPECT_FALSE(preview->understood());
    EXPECT_TRUE(preview->text().contains(QStringLiteral("\"%\"")) || preview->text().contains(QStringLiteral("«%»")))
        << preview->text().toStdString();
    EXPECT_TRUE(preview->text().contains(QStringLiteral(" 7."))) << preview->text().toStdString();

    // The countdown follows the pickers before OK, the names the interface language.
    page.datePicker()->setDate(QDate(2026, 12, 9));
    page.timePicker()->setTime(QTime(10, 48, 5));
    page.formatEdit()->setText(QStringLiteral("%A %d %B, %E"));
    EXPECT_TRUE(preview->understood());
    const QString expected = language == UiLanguage::English   ? QStringLiteral("Tuesday 08 December, 1")
                             : language == UiLanguage::Russian ? QStringLiteral("вторник 08 декабря, 1")
                                                               : QStringLiteral("вівторок 08 грудня, 1");
    EXPECT_TRUE(preview->text().endsWith(expected)) << preview->text().toStdString();
    // The countdown picker shows the language's one date form.
    EXPECT_EQ(page.datePicker()->displayFormat(),
              language == UiLanguage::English ? QStringLiteral("MM/dd/yyyy") : QStringLiteral("dd.MM.yyyy"));
  }
}

}  // namespace
}  // namespace kalvory
