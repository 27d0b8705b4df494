#include "desktop/lists/lists_feature.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QTableView>
#include <algorithm>

#include "core/model/alarm_doc.h"
#include "core/settings/profile.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/qt_text.h"
#include "desktop/common/screen_placement.h"
#include "desktop/lists/lists_layout.h"
#include "desktop/shell/docking.h"

namespace kalvory {

namespace {

// System colours as the desktop's palette has them; the classic table for the others.
ColorRef paletteSystemColor(int index, const QPalette& palette) {
  const auto reference = [](const QColor& colour) {
    return makeColorRef(static_cast<std::uint8_t>(colour.red()), static_cast<std::uint8_t>(colour.green()),
                        static_cast<std::uint8_t>(colour.blue()));
  };
  switch (index) {
    case 5:  // window (a list's background)
      return reference(palette.color(QPalette::Base));
    case 8:  // window text
      return reference(palette.color(QPalette::Text));
    case 13:  // highlight
      return reference(palette.color(QPalette::Highlight));
    case 14:  // highlight text
      return reference(palette.color(QPalette::HighlightedText));
    case 15:  // button face, the dialog background
      return reference(palette.color(QPalette::Window));
    default:
      return systemColor(index);
  }
}

ColorRef readColour(CProfile& skin, std::string_view key, int defaultIndex, const QPalette& palette) {
  const std::string raw = skin.GetString("Lists", key, "");
  const auto first = raw.find_first_not_of(" \t\r\n");
  const std::string value =
      first == std::string::npos ? std::string() : raw.substr(first, raw.find_last_not_of(" \t\r\n") - first + 1);
  if (value.empty()) return paletteSystemColor(defaultIndex, palette);
  if (const auto index = systemColorIndex(value)) return paletteSystemColor(*index, palette);
  return profileTextToColor(value, paletteSystemColor(defaultIndex, palette));
}

}  // namespace

ListsSkin readListsSkin(CProfile& skin, const QPalette& palette) {
  ListsSkin lists;
  lists.dialogBackground = readColour(skin, "DialogBackground", 15, palette);
  lists.listBackground = readColour(skin, "ListBackground", 5, palette);
  lists.highlightBackground = readColour(skin, "HighlightBackground", 13, palette);
  lists.textColor = readColour(skin, "TextColor", 8, palette);
  lists.textHighlightColor = readColour(skin, "TextHighlightColor", 14, palette);
  return lists;
}

ListsFeature::ListsFeature(ApplicationSettings& settings, CAlarmDoc& document, ActionRegistry& actions, QWidget* frame,
                           DockingHelper* docking, CListsDlg::Services services, QObject* parent)
    : QObject(parent),
      settings_(settings),
      document_(document),
      actions_(actions),
      frame_(frame),
      docking_(docking),
      services_(std::move(services)) {
  registerCommands();
}

ListsFeature::~ListsFeature() {
  if (!window_) return;
  if (docking_) docking_->unregisterWindow(window_);
  delete window_.data();
}

void ListsFeature::registerCommands() {
  actions_.addToggle(
      ID_REMINDERS, [this] { toggle(); }, [this] { return shown(); });
  // The list commands act on the window; before it exists they are greyed.
  const auto rule = [this](bool (CListsDlg::*enabled)() const) {
    return [this, enabled] {
      CommandState state;
      state.enabled = window_ && (window_.data()->*enabled)();
      return state;
    };
  };
  actions_.add(
      ID_LIST_ADD,
      [this] {
        if (window_) window_->OnAdd();
      },
      rule(&CListsDlg::canAdd));
  actions_.add(
      ID_LIST_DELETE,
      [this] {
        if (window_) window_->OnDelete();
      },
      rule(&CListsDlg::canDelete));
  actions_.add(
      ID_LIST_MODIFY,
      [this] {
        if (window_) window_->OnModify();
      },
      rule(&CListsDlg::canModify));
  actions_.add(
      ID_LIST_ACTIVE,
      [this] {
        if (window_) window_->OnActive();
      },
      [this] {
        CommandState state;
        state.checkable = true;
        state.enabled = window_ && window_->canToggleActive();
        state.checked = state.enabled && window_->selectedReminderActive();
        return state;
      });
}

void ListsFeature::createWindow() {
  if (window_) return;
  window_ = new CListsDlg(document_, settings_, actions_, services_, frame_);
  connect(window_.data(), &CListsDlg::documentChanged, this, &ListsFeature::documentChanged);
  if (hasSkin_) window_->applySkin(skin_);
  place(settings_.app.list_height);
  keepOnScreenWhenScreensChange(window_);
  if (docking_) {
    docking_->registerWindow(window_.data(), kDockBottom);
    docking_->windowDragged(window_.data(), window_->geometry());
  }
}

void ListsFeature::place(int height) {
  if (!window_ || !frame_) return;
  QScreen* screen = frame_->screen() ? frame_->screen() : QGuiApplication::primaryScreen();
  const QRect usable = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
  const QRect frame = frame_->frameGeometry();
  wantedHeight_ = std::max(height, kMinimumListHeight);
  // Below a frame that leaves too little room, the window rises onto the screen over the
  // frame's lower edge rather than leaving its buttons off it.
  const QRect placed = keptInArea(listsPlacement(frame, wantedHeight_, usable), screenWorkAreas());
  placedHeight_ = placed.height();
  // The user may make it wider and taller, never narrower than the main window.
  window_->setMinimumSize(frame.width(), std::min(kMinimumListHeight, placed.height()));
  window_->setGeometry(placed);
}

int ListsFeature::wantedHeight() const {
  if (window_ && window_->height() != placedHeight_) return std::max(window_->height(), kMinimumListHeight);
  return wantedHeight_;
}

bool ListsFeature::shown() const { return window_ && window_->isVisible(); }

void ListsFeature::toggle() {
  if (shown())
    hide();
  else
    show();
}

void ListsFeature::show() {
  createWindow();
  userShown_ = true;
  // Docked, it comes back below the frame, as wide as it, with the height the user gave it.
  if (docking_ && docking_->isDocked(window_.data()))
    place(wantedHeight());
  else
    moveOntoScreen(window_);  // undocked where a monitor was, it comes back
  window_->show();
  window_->raise();
  window_->currentList()->setFocus();
}

void ListsFeature::hide() {
  userShown_ = false;
  if (window_) window_->hide();
}

void ListsFeature::frameVisibilityChanged() {
  if (!window_ || !frame_ || !userShown_) return;
  if (frame_->isVisible()) {
    if (!window_->isVisible()) {
      window_->show();
      window_->raise();
    }
  } else if (window_->isVisible()) {
    window_->hide();
  }
}

void ListsFeature::documentReplaced() {
  if (window_) window_->refill();
}

void ListsFeature::forgetDeletes() {
  if (window_) window_->forgetDeletes();
}

void ListsFeature::languageChanged() {
  if (window_) window_->SetLanguage();
}

void ListsFeature::ApplySkin(const std::string& skinPath, const std::string& dataFolder) {
  const QFileInfo info(toQString(skinSettingFile(dataFolder, skinPath)));
  if (!info.isFile()) return;  // the previous colours stay
  CProfile profile;
  profile.SetSaveOnClose(false);
  profile.SetStoreDefaults(false);
  profile.SetAddOnWrite(false);
  if (!profile.Load(toStdString(info.absoluteFilePath()))) return;
  skin_ = readListsSkin(profile, QGuiApplication::palette());
  hasSkin_ = true;
  if (window_) window_->applySkin(skin_);
}

void ListsFeature::addDayNote(const COleDateTime& date) {
  createWindow();
  window_->addDayNote(date);
}

void ListsFeature::storeHeight() {
  if (window_) settings_.app.list_height = wantedHeight();
}

void ListsFeature::ReminderStateChanged(std::size_t index, int) {
  if (window_) window_->refreshReminder(static_cast<int>(index));
  emit reminderStateChanged();
}

}  // namespace kalvory
