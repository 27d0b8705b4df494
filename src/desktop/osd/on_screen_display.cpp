#include "desktop/osd/on_screen_display.h"

#include <QGuiApplication>
#include <QScreen>

#include "core/clock/osd_layout.h"
#include "core/model/alarm_doc.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/overlay_window.h"
#include "desktop/common/screen_placement.h"
#include "desktop/osd/clock_static.h"
#include "desktop/osd/osd_drawing.h"
#include "desktop/osd/symbol_dialog.h"
#include "desktop/osd/text_static.h"
#include "platform/session/desktop_session.h"

namespace kalvory {

namespace {

// The rectangles the windows are created with; they take the size of their text at once.
constexpr int kClockCreateWidth = 400;
constexpr int kClockCreateHeight = 30;
constexpr int kTextCreateHeight = 120;

}  // namespace

OnScreenDisplay::OnScreenDisplay(ApplicationSettings& settings, CAlarmDoc& document, ActionRegistry& actions,
                                 Services services, QObject* parent)
    : QObject(parent), settings_(settings), document_(document), services_(std::move(services)) {
  registerCommands(actions);
}

OnScreenDisplay::~OnScreenDisplay() = default;

void OnScreenDisplay::registerCommands(ActionRegistry& actions) {
  actions.addToggle(
      ID_SHOW_CLOCK,
      [this] {
        settings_.clock.is_visible = settings_.clock.is_visible ? 0 : 1;
        ShowClock(settings_.clock.is_visible != 0);
      },
      [this] { return clockShown(); });
  actions.add(ID_SPECIAL_SYMBOLS, [this] { runSpecialSymbolDialog(settings_.app.uiLanguage(), dialogParent()); });
}

QWidget* OnScreenDisplay::dialogParent() const {
  QWidget* parent = services_.dialogParent ? services_.dialogParent() : nullptr;
  return parent && parent->isVisible() ? parent : nullptr;
}

QSize OnScreenDisplay::screenSize() const {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->geometry().size();
  return QSize(1024, 768);
}

// --- the clock

void OnScreenDisplay::ShowClock(bool show) {
  if (!clock_) {
    const QSize screen = screenSize();
    int x = settings_.clock.position_x;
    if (x >= screen.width()) x = screen.width() / 2 - 100;
    int y = settings_.clock.position_y;
    if (y >= screen.height()) y = screen.height() - 100;
    CClockStatic::Sources sources;
    sources.clock = services_.clock;
    sources.document = &document_;
    sources.player = services_.player;
    sources.language = [this] { return languageFromSetting(settings_.app.language); };
    // The settings are read on every tick, so a change made anywhere shows within half a second.
    sources.beforeTick = [this](CClockStatic&) { applyClockSettings(); };
    clock_ = std::make_unique<CClockStatic>(std::move(sources));
    clock_->setShowing(show);
    applyClockSettings();
    clock_->Create(QStringLiteral("AlarmClock"), QRect(x, y, kClockCreateWidth, kClockCreateHeight));
    follow(*clock_, settings_.clock.position_x, settings_.clock.position_y);
  }
  clock_->setShowing(show);
  if (show) {
    clock_->refresh();  // the time went on while the clock was hidden
    keepOnScreen(*clock_);
  } else {
    clock_->Update();
  }
}

bool OnScreenDisplay::clockShown() const { return clock_ && clock_->showing(); }

void OnScreenDisplay::applyClockSettings() {
  clock_->SetLooks(looksOf(settings_.clock));
  if (settings_.clock.format != clock_->requestedFormat()) clock_->SetFormat(settings_.clock.format);
}

// --- the message

void OnScreenDisplay::ShowAlarmText(const std::string& text, bool show) {
  const bool create = !text_;
  if (create) {
    text_ = std::make_unique<CTextStatic>();
    text_->SetLooks(looksOf(settings_.text));
  }
  text_->setShowing(show);
  if (!text.empty()) text_->SetText(text);
  text_->SetDefaultTime(showTimeTenths(settings_.text.show_time));
  if (create) {
    const QSize screen = screenSize();
    int x = settings_.text.position_x;
    if (x >= screen.width()) x = 0;
    int y = settings_.text.position_y;
    if (y >= screen.height()) y = screen.height() - kTextCreateHeight;
    text_->Show(0);
    text_->Create(QStringLiteral("AlarmText"),
                  QRect(QPoint(x, y), QPoint(screen.width() - 1, y + kTextCreateHeight - 1)));
    follow(*text_, settings_.text.position_x, settings_.text.position_y);
  }
  if (show) {
    emit alarmTextShown();
    text_->Show(0);
    keepOnScreen(*text_);  // a longer text may reach past the screen's edge
  } else {
    text_->Update();
  }
}

std::string OnScreenDisplay::GetAlarmText() const { return text_ ? text_->GetText() : std::string(); }

void OnScreenDisplay::HideAlarmText() {
  if (!text_) return;
  text_->setShowing(false);
  text_->Update();
}

// --- settings

void OnScreenDisplay::settingsChanged() {
  if (clock_) {
    applyClockSettings();
    clock_->Update();
    placeAsSettingsSay(*clock_, QPoint(settings_.clock.position_x, settings_.clock.position_y));
  }
  if (text_) {
    text_->SetLooks(looksOf(settings_.text));
    text_->SetDefaultTime(showTimeTenths(settings_.text.show_time));
    text_->Update();
    placeAsSettingsSay(*text_, QPoint(settings_.text.position_x, settings_.text.position_y));
  }
}

// --- places

bool OnScreenDisplay::placeKnown(const CTextStatic& window) {
  return windowPositionsReadable(QGuiApplication::platformName()) || OverlayWindow::isOverlay(&window);
}

void OnScreenDisplay::follow(CTextStatic& window, std::int32_t& x, std::int32_t& y) {
  // The window stands over the screen, whatever was stored: a place from another screen
  // layout (another scale, a monitor since unplugged) could leave only a word of it in view.
  keepOnScreen(window);
  keepOnScreenWhenScreensChange(&window, ScreenBounds::WholeScreen);
  // The settings follow every move, so that they always say where the window is: the
  // configuration dialog's copy of them then tells a new place ("Reset position") from the old.
  // Where the compositor does not tell a window's place (native Wayland: always 0,0), the stored
  // place is kept rather than overwritten with a place the window is not at. An overlay surface
  // stands where the program puts it, so its place is the user's.
  if (!placeKnown(window)) return;
  x = window.x();
  y = window.y();
  connect(&window, &CTextStatic::moved, this, [&x, &y](const QPoint& topLeft) {
    x = topLeft.x();
    y = topLeft.y();
  });
}

void OnScreenDisplay::keepOnScreen(CTextStatic& window) {
  // An overlay that floats above everything may stand over a panel, but never off the screens.
  moveOntoScreen(&window, ScreenBounds::WholeScreen);
}

void OnScreenDisplay::placeAsSettingsSay(CTextStatic& window, const QPoint& wanted) {
  if (window.pos() != wanted)
    window.move(keptOnScreen(QRect(wanted, window.size()), ScreenBounds::WholeScreen).topLeft());
  keepOnScreen(window);  // a larger font may reach past the screen's edge
}

QPoint defaultClockPosition() {
  // Where a new installation shows it: centred at the top, as the settings' default computes it.
  const QScreen* screen = QGuiApplication::primaryScreen();
  const QRect whole = screen ? screen->geometry() : QRect(0, 0, 1024, 768);
  const QRect work = screen ? screen->availableGeometry() : whole;
  return QPoint(whole.x() + (whole.width() - 100) / 2, work.y());
}

QPoint defaultMessagePosition() {
  const QScreen* screen = QGuiApplication::primaryScreen();
  return screen ? screen->availableGeometry().topLeft() : QPoint(0, 0);
}

void OnScreenDisplay::storePositions() {
  if (clock_ && placeKnown(*clock_)) {
    settings_.clock.position_x = clock_->x();
    settings_.clock.position_y = clock_->y();
  }
  if (text_ && placeKnown(*text_)) {
    settings_.text.position_x = text_->x();
    settings_.text.position_y = text_->y();
  }
}

}  // namespace kalvory
