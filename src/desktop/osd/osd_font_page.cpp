#include "desktop/osd/osd_font_page.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFontDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTabBar>
#include <QVBoxLayout>

#include "core/clock/osd_layout.h"
#include "desktop/common/color_button.h"
#include "desktop/common/qt_text.h"
#include "desktop/osd/on_screen_display.h"

namespace kalvory {

namespace {

constexpr StringId kReminderTextTitle = StringId::ReminderText;
constexpr StringId kClockTitle = StringId::Clock;
constexpr StringId kGradientFill = StringId::GradientFill;
constexpr StringId kVertical = StringId::Vertical;
constexpr StringId kHorizontal = StringId::Horizontal;
constexpr StringId kShadow = StringId::Shadow;
constexpr StringId kShift = StringId::Shift;
constexpr StringId kFontNotSelected = StringId::NoFontSelected;
constexpr StringId kFontName = StringId::FontName;
constexpr StringId kTransparency = StringId::Transparency;
constexpr int kShiftCharacters = 3;

// A shift as typed: a whole number, 0 for anything else, held to the allowed range.
int shiftFromText(const QString& text) {
  bool number = false;
  const int value = text.trimmed().toInt(&number);
  return limitShadowShift(number ? value : 0);
}

QLineEdit* shiftEdit(QWidget* parent, const char* name) {
  auto* edit = new QLineEdit(parent);
  edit->setObjectName(QLatin1String(name));
  edit->setMaxLength(kShiftCharacters);
  edit->setAlignment(Qt::AlignRight);
  edit->setFixedWidth(edit->fontMetrics().horizontalAdvance(QStringLiteral("-000")) + 14);
  return edit;
}

}  // namespace

CSetOSDDlgBar::CSetOSDDlgBar(UiLanguage language, ConfigPageServices services, QWidget* parent)
    : ConfigPage(language, parent, std::move(services)) {
  setObjectName(QStringLiteral("osdFontPage"));

  tabs_ = new QTabBar(this);
  tabs_->setObjectName(QStringLiteral("osdTabs"));
  tabs_->addTab(text(kReminderTextTitle));
  tabs_->addTab(text(kClockTitle));
  tabs_->setExpanding(false);
  tabs_->setDrawBase(false);

  auto* panel = new QFrame(this);
  panel->setFrameShape(QFrame::StyledPanel);

  font_ = new QPushButton(panel);
  font_->setObjectName(QStringLiteral("fontButton"));
  font_->setMinimumWidth(220);
  textColor_ = new ColorButton(panel, this->services().chooseColor);
  textColor_->setObjectName(QStringLiteral("textColorButton"));

  auto* transparencyLabel = new QLabel(text(kTransparency), panel);
  transparency_ = new QSlider(Qt::Horizontal, panel);
  transparency_->setObjectName(QStringLiteral("transparencySlider"));
  transparency_->setRange(0, 5);
  transparency_->setPageStep(1);
  transparency_->setTickPosition(QSlider::TicksBelow);
  transparency_->setTickInterval(1);
  transparencyLabel->setBuddy(transparency_);

  gradient_ = new QCheckBox(text(kGradientFill), panel);
  gradient_->setObjectName(QStringLiteral("gradientBox"));
  gradientColor_ = new ColorButton(panel, this->services().chooseColor);
  gradientColor_->setObjectName(QStringLiteral("gradientColorButton"));
  vertical_ = new QRadioButton(text(kVertical), panel);
  vertical_->setObjectName(QStringLiteral("verticalButton"));
  horizontal_ = new QRadioButton(text(kHorizontal), panel);
  horizontal_->setObjectName(QStringLiteral("horizontalButton"));
  auto* direction = new QButtonGroup(this);
  direction->addButton(vertical_);
  direction->addButton(horizontal_);

  shadow_ = new QCheckBox(text(kShadow), panel);
  shadow_->setObjectName(QStringLiteral("shadowBox"));
  shadowColor_ = new ColorButton(panel, this->services().chooseColor);
  shadowColor_->setObjectName(QStringLiteral("shadowColorButton"));
  auto* shiftLabel = new QLabel(text(kShift), panel);
  shiftX_ = shiftEdit(panel, "shiftXEdit");
  shiftY_ = shiftEdit(panel, "shiftYEdit");
  shiftLabel->setBuddy(shiftX_);

  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(14, 14, 14, 14);
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(12);
  // Column 0 the font and the boxes, 1 their colours, 2 what goes with them.
  grid->addWidget(font_, 0, 0);
  grid->addWidget(textColor_, 0, 1);
  grid->addWidget(transparencyLabel, 1, 0);
  grid->addWidget(transparency_, 1, 1, 1, 2);
  grid->addWidget(gradient_, 2, 0);
  grid->addWidget(gradientColor_, 2, 1);
  auto* directions = new QHBoxLayout;
  directions->addWidget(vertical_);
  directions->addSpacing(8);
  directions->addWidget(horizontal_);
  directions->addStretch();
  grid->addLayout(directions, 2, 2);
  grid->addWidget(shadow_, 3, 0);
  grid->addWidget(shadowColor_, 3, 1);
  auto* shifts = new QHBoxLayout;
  shifts->addWidget(shiftLabel);
  shifts->addSpacing(4);
  shifts->addWidget(shiftX_);
  shifts->addWidget(shiftY_);
  shifts->addStretch();
  grid->addLayout(shifts, 3, 2);
  // A window dragged where it is no use any more (behind a panel, under another window) can
  // be put back without editing the settings file.
  resetPlace_ = new QPushButton(toQString(loadString(StringId::ResetOsdPosition, language)), panel);
  resetPlace_->setObjectName(QStringLiteral("resetPositionButton"));
  grid->addWidget(resetPlace_, 4, 0, Qt::AlignLeft);
  grid->setColumnStretch(2, 1);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(tabs_);
  layout->addWidget(panel);
  layout->addStretch();

  tabs_->setCurrentIndex(kClockTab);
  connect(tabs_, &QTabBar::currentChanged, this, &CSetOSDDlgBar::tabChanged);
  connect(font_, &QPushButton::clicked, this, &CSetOSDDlgBar::chooseFont);
  connect(textColor_, &ColorButton::colorChosen, this, [this](ColorRef color) { shown().textColor = color; });
  connect(gradientColor_, &ColorButton::colorChosen, this, [this](ColorRef color) { shown().gradientColor = color; });
  connect(shadowColor_, &ColorButton::colorChosen, this, [this](ColorRef color) { shown().shadowColor = color; });
  // The boxes and the direction are written at once; the shift and the transparency when the
  // tab changes or the page is stored.
  connect(gradient_, &QCheckBox::clicked, this, [this](bool on) {
    shown().gradient = on;
    updateEnabling();
  });
  connect(shadow_, &QCheckBox::clicked, this, [this](bool on) {
    shown().shadow = on;
    updateEnabling();
  });
  // Like every other choice of the page, the new place is taken on OK.
  connect(resetPlace_, &QPushButton::clicked, this, [this] {
    placeReset_.at(static_cast<std::size_t>(shownTab_)) = true;
    resetPlace_->setEnabled(false);
  });
  connect(vertical_, &QRadioButton::clicked, this, [this] { shown().verticalGradient = true; });
  connect(horizontal_, &QRadioButton::clicked, this, [this] { shown().verticalGradient = false; });
  showTab();
}

int CSetOSDDlgBar::currentTab() const { return shownTab_; }

void CSetOSDDlgBar::selectTab(int tab) { tabs_->setCurrentIndex(tab); }

void CSetOSDDlgBar::load(const ApplicationSettings& settings, const CAlarmDoc&) {
  looks_[kReminderTextTab] = looksOf(settings.text);
  looks_[kClockTab] = looksOf(settings.clock);
  placeReset_ = {};
  // The page opens on the clock; the values on screen belong to no tab yet, so nothing is written.
  const QSignalBlocker quiet(tabs_);
  tabs_->setCurrentIndex(kClockTab);
  shownTab_ = kClockTab;
  showTab();
}

void CSetOSDDlgBar::store(ApplicationSettings& settings, CAlarmDoc&) {
  writeEdits();
  storeLooks(looks_[kReminderTextTab], settings.text);
  storeLooks(looks_[kClockTab], settings.clock);
  if (placeReset_[kClockTab]) {
    const QPoint place = defaultClockPosition();
    settings.clock.position_x = place.x();
    settings.clock.position_y = place.y();
  }
  if (placeReset_[kReminderTextTab]) {
    const QPoint place = defaultMessagePosition();
    settings.text.position_x = place.x();
    settings.text.position_y = place.y();
  }
}

void CSetOSDDlgBar::tabChanged(int tab) {
  if (tab < 0) return;
  writeEdits();
  shownTab_ = tab;
  showTab();
}

void CSetOSDDlgBar::writeEdits() {
  OsdLooks& looks = shown();
  looks.shadowX = shiftFromText(shiftX_->text());
  looks.shadowY = shiftFromText(shiftY_->text());
  looks.opacity = osdOpacityFromSlider(transparency_->value());
  // The edits show what was stored, so a typed 7 reads back as 6.
  shiftX_->setText(QString::number(looks.shadowX));
  shiftY_->setText(QString::number(looks.shadowY));
}

void CSetOSDDlgBar::showTab() {
  const OsdLooks& looks = shown();
  textColor_->setColor(looks.textColor);
  transparency_->setValue(osdSliderFromOpacity(looks.opacity));
  gradient_->setChecked(looks.gradient);
  gradientColor_->setColor(looks.gradientColor);
  vertical_->setChecked(looks.verticalGradient);
  horizontal_->setChecked(!looks.verticalGradient);
  shadow_->setChecked(looks.shadow);
  shadowColor_->setColor(looks.shadowColor);
  shiftX_->setText(QString::number(looks.shadowX));
  shiftY_->setText(QString::number(looks.shadowY));
  updateFontButton();
  updateEnabling();
  resetPlace_->setEnabled(!placeReset_.at(static_cast<std::size_t>(shownTab_)));
}

void CSetOSDDlgBar::updateEnabling() {
  gradientColor_->setEnabled(gradient_->isChecked());
  vertical_->setEnabled(gradient_->isChecked());
  horizontal_->setEnabled(gradient_->isChecked());
  shadowColor_->setEnabled(shadow_->isChecked());
  shiftX_->setEnabled(shadow_->isChecked());
  shiftY_->setEnabled(shadow_->isChecked());
}

void CSetOSDDlgBar::updateFontButton() {
  const std::string& face = shown().font.face_name;
  QFont buttonFont = font();
  if (face.empty()) {
    font_->setText(toQString(loadString(kFontNotSelected, language())));
  } else {
    // The caption is drawn in the chosen face, at the button's usual size.
    font_->setText(toQString(loadString(kFontName, language())).replace(QLatin1String("%s"), toQString(face)));
    buttonFont.setFamily(toQString(face));
  }
  font_->setFont(buttonFont);
}

void CSetOSDDlgBar::chooseFont() {
  const QFont current = fontFromDescription(shown().font);
  std::optional<QFont> picked;
  if (services().chooseFont) {
    picked = services().chooseFont(current, this);
  } else {
    bool ok = false;
    const QFont font = QFontDialog::getFont(&ok, current, this);
    if (ok) picked = font;
  }
  if (!picked) return;
  shown().font = descriptionFromFont(*picked);
  updateFontButton();
}

ConfigPageSource osdLooksPageSource() {
  return {StringId::OsdSettingsPage, [](UiLanguage language, const ConfigPageServices& services, QWidget* parent) {
            return new CSetOSDDlgBar(language, services, parent);
          }};
}

}  // namespace kalvory
