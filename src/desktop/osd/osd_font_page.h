#pragma once

#include <QFont>
#include <QWidget>
#include <array>
#include <functional>
#include <optional>

#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"
#include "desktop/common/config_page.h"
#include "desktop/osd/osd_drawing.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabBar;

namespace kalvory {

class ColorButton;

// The configuration page "OSD Settings": the looks of the alarm message and of the clock, one
// tab each over the same controls (font, text colour, transparency, gradient, shadow). The page
// edits its own copy; the dialog that hosts it loads it from the settings and stores it back on
// OK.
class CSetOSDDlgBar : public ConfigPage {
  Q_OBJECT
 public:
  enum Tab { kReminderTextTab = 0, kClockTab = 1 };

  // A font is picked with `services.chooseFont`, the standard font dialog when empty.
  explicit CSetOSDDlgBar(UiLanguage language, ConfigPageServices services = {}, QWidget* parent = nullptr);

  // Takes the message and clock looks from `settings` and shows the "Clock" tab.
  void load(const ApplicationSettings& settings, const CAlarmDoc& document) override;
  // Writes the values of the tab shown, then the looks of both windows into `settings`.
  void store(ApplicationSettings& settings, CAlarmDoc& document) override;

  int currentTab() const;
  void selectTab(int tab);
  // The looks as edited so far (the shift and transparency of the tab shown are written when
  // the tab changes or the page is stored).
  const OsdLooks& looks(int tab) const { return looks_.at(static_cast<std::size_t>(tab)); }

  QPushButton* fontButton() const { return font_; }
  ColorButton* textColorButton() const { return textColor_; }
  QSlider* transparencySlider() const { return transparency_; }
  QCheckBox* gradientBox() const { return gradient_; }
  ColorButton* gradientColorButton() const { return gradientColor_; }
  QRadioButton* verticalButton() const { return vertical_; }
  QRadioButton* horizontalButton() const { return horizontal_; }
  QCheckBox* shadowBox() const { return shadow_; }
  ColorButton* shadowColorButton() const { return shadowColor_; }
  QLineEdit* shiftXEdit() const { return shiftX_; }
  QLineEdit* shiftYEdit() const { return shiftY_; }
  // "Reset position": on OK the window of the tab shown goes back to its first place.
  QPushButton* resetPositionButton() const { return resetPlace_; }

 private:
  OsdLooks& shown() { return looks_.at(static_cast<std::size_t>(shownTab_)); }
  void tabChanged(int tab);
  void writeEdits();
  void showTab();
  void updateEnabling();
  void updateFontButton();
  void chooseFont();

  std::array<OsdLooks, 2> looks_;
  int shownTab_ = kClockTab;
  std::array<bool, 2> placeReset_{};  // by tab: "Reset position" was pressed

  QTabBar* tabs_ = nullptr;
  QPushButton* font_ = nullptr;
  ColorButton* textColor_ = nullptr;
  QSlider* transparency_ = nullptr;
  QCheckBox* gradient_ = nullptr;
  ColorButton* gradientColor_ = nullptr;
  QRadioButton* vertical_ = nullptr;
  QRadioButton* horizontal_ = nullptr;
  QCheckBox* shadow_ = nullptr;
  ColorButton* shadowColor_ = nullptr;
  QLineEdit* shiftX_ = nullptr;
  QLineEdit* shiftY_ = nullptr;
  QPushButton* resetPlace_ = nullptr;
};

// The page of the on-screen windows' looks, as the on-screen feature hands it to the configuration dialog.
ConfigPageSource osdLooksPageSource();

}  // namespace kalvory
