#include "desktop/shell/main_frame.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QSizeF>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>

#include "core/alarms/action_services.h"
#include "core/clock/time_format.h"
#include "core/common/strftime.h"
#include "core/model/alarm_doc.h"
#include "core/model/alarm_line.h"
#include "core/resources/resource_menus.h"
#include "core/settings/data_folder.h"
#include "core/settings/profile.h"
#include "core/skins/definitions.h"
#include "desktop/common/commands.h"
#include "desktop/common/date_icon.h"
#include "desktop/common/menu_resources.h"
#include "desktop/dialogs/about_dialog.h"
#include "desktop/shell/caption_bar.h"
#include "desktop/shell/docking.h"
#include "desktop/shell/document_controller.h"
#include "desktop/shell/frame_geometry.h"
#include "desktop/tray/system_tray.h"
#include "platform/wallpaper/wallpaper_setter.h"
#include "platform/x11/hotkey_service.h"
#include "platform/x11/synthetic_paste.h"

Q_LOGGING_CATEGORY(lcFrame, "kalvory.frame", QtInfoMsg)

namespace kalvory {

namespace {

QString utf8(const std::string& text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }
std::string toUtf8(const QString& text) { return text.toUtf8().toStdString(); }

// Hotkeys in the order they are registered: id, key (X keysym), command.
struct HotkeyEntry {
  int id;
  std::uint32_t keysym;
};
constexpr HotkeyEntry kHotkeys[] = {
    {HOTKEY_CLOCK, 0x71},    {HOTKEY_PASTE_1, 0x31},   {HOTKEY_PASTE_2, 0x32},   {HOTKEY_PASTE_3, 0x33},
    {HOTKEY_TURN_OFF, 0x2d}, {HOTKEY_SHOW_HIDE, 0x61}, {HOTKEY_WALLPAPER, 0x77},
};

// Keys are registered once for the whole process, however often the frame is activated.
bool hotkeysRegistered = false;

AlarmSettings alarmSettingsFrom(const ApplicationSettings& settings) {
  AlarmSettings alarm;
  alarm.IsMusic = settings.sound.is_music != 0;
  alarm.WinampPath = settings.sound.winamp_path;
  alarm.StopMusicOnCancelAlarm = settings.sound.stop_music_on_cancel_alarm != 0;
  alarm.IsSayTime = settings.sound.is_say_time != 0;
  alarm.SayTimeRange = settings.sound.say_time_range;
  alarm.ShowTime = settings.text.show_time;
  return alarm;
}

// A skin's caption picture is a bitmap whose magenta pixels are see-through.
QImage loadCaptionLogo(const QString& path) {
  QImage image(path);
  if (image.isNull()) return {};
  image = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if ((line[x] & 0xffffff) == 0xff00ff) line[x] = 0;
  }
  return image;
}

// The desktop's refusals reach nobody but the log.
class LoggedDesktopWallpaper final : public DesktopWallpaper {
 public:
  explicit LoggedDesktopWallpaper(DesktopWallpaper& desktop) : desktop_(desktop) {}
  bool SetWallpaper(const std::string& path, int style, std::string& error) override {
    if (desktop_.SetWallpaper(path, style, error)) return true;
    qCInfo(lcFrame) << "the desktop did not take the wallpaper" << utf8(path) << ":" << utf8(error);
    return false;
  }

 private:
  DesktopWallpaper& desktop_;
};

// The place of the main view. Until the view fills it, it shows a quiet backdrop.
class ViewHost final : public QWidget {
 public:
  using QWidget::QWidget;

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    const QColor base = palette().window().color();
    QLinearGradient fill(0, 0, 0, height());
    fill.setColorAt(0, base.lighter(106));
    fill.setColorAt(1, base.darker(103));
    painter.fillRect(rect(), fill);
    if (!children().isEmpty()) return;
    painter.setOpacity(0.10);
    const int side = std::min(width(), height()) * 3 / 5;
    programIcon().paint(&painter, QRect((width() - side) / 2, (height() - side) / 2, side, side));
  }
};

}  // namespace

CMainFrame::CMainFrame(ApplicationSettings& settings, DocumentController& documents, Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      settings_(settings),
      documents_(documents),
      services_(std::move(services)),
      alarmSettings_(alarmSettingsFrom(settings)) {
  setObjectName(QStringLiteral("Kalvory2"));
  setWindowIcon(programIcon());
  setAcceptDrops(true);
  setAttribute(Qt::WA_QuitOnClose, false);

  engine_ = std::make_unique<AlarmEngine>(documents_.document(), *this, alarmSettings_);

  if (services_.dataFolder.isEmpty()) services_.dataFolder = utf8(dataFolderPath());
  const std::string dataFolder = toUtf8(services_.dataFolder);
  if (!services_.wallpaper) ownDesktop_ = CreateDesktopWallpaper(dataFolder);
  desktopLog_ = std::make_unique<LoggedDesktopWallpaper>(services_.wallpaper ? *services_.wallpaper : *ownDesktop_);
  // The composed picture covers the primary screen pixel for pixel, measured once.
  QScreen* screen = QGuiApplication::primaryScreen();
  const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
  const QSize screenPixels = screen ? (QSizeF(screen->geometry().size()) * ratio).toSize() : QSize(1024, 768);
  const int dpiY = screen ? qRound(screen->logicalDotsPerInchY()) : 96;
  compositor_ = std::make_unique<CWallpaperCompositor>(screenPixels.width(), screenPixels.height(), dataFolder,
                                                       placedStickers_, &stickerText_, dpiY);
  changer_ =
      std::make_unique<CWallpaperChanger>(settings_.wallpaper, *compositor_, *desktopLog_, [this] { return now(); });

  caption_ = new CCaptionBar(this);
  menuBar_ = new QMenuBar(this);
  menuBar_->setNativeMenuBar(false);
  viewHost_ = new ViewHost(this);
  viewHost_->setObjectName(QStringLiteral("viewHost"));
  statusBar_ = new QStatusBar(this);
  statusBar_->setSizeGripEnabled(false);
  statusBar_->hide();

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(1, 1, 1, 1);
  layout->setSpacing(0);
  layout->addWidget(caption_);
  layout->addWidget(menuBar_);
  layout->addWidget(viewHost_, 1);
  layout->addWidget(statusBar_);

  connect(caption_, &CCaptionBar::aboutRequested, this, [this] { runCommand(ID_APP_ABOUT); });
  connect(caption_, &CCaptionBar::closeRequested, this, [this] { runCommand(ID_APP_EXIT); });
  connect(caption_, &CCaptionBar::hideRequested, this, &CMainFrame::hideToTray);
  connect(caption_, &CCaptionBar::windowMenuRequested, this, &CMainFrame::showWindowMenu);

  ReloadMenu();

  tray_ = new CSystemTray(this, this);
  QList<QIcon> frames;
  for (int i = 0; i < 6; ++i) frames << ringingFrame(i);
  tray_->SetAnimationIcons(frames);
  // The tooltip until the first tick gives the date.
  tray_->Create(QStringLiteral("Будильник"), programIcon());
  tray_->SetMenuDefaultItem(1);

  docking_ = new DockingHelper(this);

  alarmTimer_.setInterval(1000);
  connect(&alarmTimer_, &QTimer::timeout, this, &CMainFrame::alarmTick);

  if (services_.hotkeys) connect(services_.hotkeys, &HotkeyService::activated, this, &CMainFrame::hotkeyPressed);

  refreshTitle();
  placeOnScreen();
}

CMainFrame::~CMainFrame() {
  alarmTimer_.stop();
  placedStickers_.clear();
  if (tray_) tray_->Remove();
  if (holdsHotkeys_) {
    services_.hotkeys->unregisterAll();
    hotkeysRegistered = false;
  }
}

COleDateTime CMainFrame::now() const { return services_.clock ? services_.clock() : systemNow(); }

UiLanguage CMainFrame::uiLanguage() const { return settings_.app.uiLanguage(); }

// --- size and place

QSize CMainFrame::fixedSizeFor(const QScreen* screen) const {
  const qreal ratio = screen ? screen->devicePixelRatio() : 1.0;
  const int dpiX = screen ? qRound(screen->logicalDotsPerInchX() * ratio) : 96;
  const int dpiY = screen ? qRound(screen->logicalDotsPerInchY() * ratio) : 96;
  const int screenWidth = screen ? qRound(screen->geometry().width() * ratio) : 1024;
  const int menuHeight = qRound(menuBar_->sizeHint().height() * 96.0 / std::max(1, dpiY) * ratio);
  const QSize pixels = fixedFrameSize(dpiX, dpiY, screenWidth, CCaptionBar::kHeight, menuHeight);
  return QSize(qRound(pixels.width() / ratio), qRound(pixels.height() / ratio));
}

void CMainFrame::placeOnScreen() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QSize size = fixedSizeFor(screen);
  setFixedSize(size);
  const QSize screenSize = screen ? screen->geometry().size() : QSize(1024, 768);
  move(initialFramePosition(settings_.app.main_position_x, settings_.app.main_position_y, screenSize));
}

// --- menus

void CMainFrame::ReloadMenu() {
  menuBar_->clear();
  actions_.clear();
  for (const MenuItem& item : loadMenu(kMainMenuId, uiLanguage())) {
    // The top-level "Logo menu" item is the caption's logo here, which opens the about box.
    if (item.kind != MenuItem::Kind::Popup) continue;
    QMenu* menu = menuBar_->addMenu(utf8(item.text));
    buildMenu(menu, item.items);
  }
  refreshTitle();
}

namespace {

// Key names shown beside the items whose keys work everywhere (global hotkeys) or in the window.
QString keyHint(int id) {
  switch (id) {
    case ID_FILE_NEW:
      return QStringLiteral("Ctrl+N");
    case ID_FILE_OPEN:
      return QStringLiteral("Ctrl+O");
    case ID_FILE_SAVE:
      return QStringLiteral("Ctrl+S");
    case ID_SHOW_CLOCK:
      return QStringLiteral("Ctrl+Shift+Q");
    case ID_REMINDERS:
      return QStringLiteral("Shift+R");
    case ID_STOPWATCH:
      return QStringLiteral("Ctrl+F2");
    case ID_LANGUAGE_RUSSIAN:
      return QStringLiteral("Alt++");
    default:
      return {};
  }
}

}  // namespace

QAction* CMainFrame::addCommandAction(QMenu* menu, int id, const QString& text) {
  const QString hint = keyHint(id);
  QAction* action = menu->addAction(hint.isEmpty() ? text : text + QLatin1Char('\t') + hint);
  action->setData(id);
  actions_[id] = action;
  connect(action, &QAction::triggered, this, [this, id] { runCommand(id); });
  return action;
}

void CMainFrame::buildMenu(QMenu* menu, const std::vector<MenuItem>& items) {
  connect(menu, &QMenu::aboutToShow, this, [this, menu] { updateMenu(menu); });
  const bool fileMenu =
      std::any_of(items.begin(), items.end(), [](const MenuItem& i) { return i.command == ID_APP_EXIT; });
  for (std::size_t index = 0; index < items.size(); ++index) {
    const MenuItem& item = items[index];
    const bool lastSeparator = item.kind == MenuItem::Kind::Separator &&
                               std::none_of(items.begin() + static_cast<std::ptrdiff_t>(index) + 1, items.end(),
                                            [](const MenuItem& i) { return i.kind == MenuItem::Kind::Separator; });
    if (fileMenu && lastSeparator) {
      // The recent documents go above "Exit", the first standing for the empty list.
      menu->addSeparator();
      for (int i = 0; i < kRecentFileCount; ++i)
        addCommandAction(menu, ID_FILE_MRU_FILE1 + i,
                         utf8(desktopText(DesktopText::RecentFilePlaceholder, uiLanguage())));
    }
    switch (item.kind) {
      case MenuItem::Kind::Separator:
        menu->addSeparator();
        break;
      case MenuItem::Kind::Popup:
        buildMenu(menu->addMenu(utf8(item.text)), item.items);
        break;
      case MenuItem::Kind::Command:
        addCommandAction(menu, item.command, utf8(item.text));
        break;
    }
  }
  // The window's own accelerators work whether or not a menu is open.
  static const std::pair<int, QKeySequence> kAccelerators[] = {
      {ID_FILE_NEW, QKeySequence(Qt::CTRL | Qt::Key_N)},   {ID_FILE_OPEN, QKeySequence(Qt::CTRL | Qt::Key_O)},
      {ID_FILE_SAVE, QKeySequence(Qt::CTRL | Qt::Key_S)},  {ID_REMINDERS, QKeySequence(Qt::SHIFT | Qt::Key_R)},
      {ID_STOPWATCH, QKeySequence(Qt::CTRL | Qt::Key_F2)}, {ID_LANGUAGE_RUSSIAN, QKeySequence(Qt::ALT | Qt::Key_Plus)},
  };
  for (const auto& [id, keys] : kAccelerators) {
    auto found = actions_.find(id);
    if (found == actions_.end() || found->second->property("accelerator").isValid()) continue;
    auto* shortcut = new QAction(found->second);
    shortcut->setShortcut(keys);
    shortcut->setShortcutContext(Qt::WindowShortcut);
    const int command = id;
    connect(shortcut, &QAction::triggered, this, [this, command] { runCommand(command); });
    addAction(shortcut);
    found->second->setProperty("accelerator", true);
  }
}

void CMainFrame::updateMenu(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    bool ok = false;
    const int id = action->data().toInt(&ok);
    if (!ok || id == 0) continue;
    const CommandState state = commandState(id);
    action->setEnabled(state.enabled);
    action->setCheckable(state.checkable);
    action->setChecked(state.checked);
    if (!state.text.isEmpty()) {
      const QString hint = keyHint(id);
      action->setText(hint.isEmpty() ? state.text : state.text + QLatin1Char('\t') + hint);
    }
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount)
      action->setVisible(id == ID_FILE_MRU_FILE1 || state.enabled);
  }
}

QAction* CMainFrame::menuAction(int id) const {
  auto found = actions_.find(id);
  return found == actions_.end() ? nullptr : found->second;
}

CommandState CMainFrame::commandState(int id) const {
  CommandState state;
  const int language = settings_.app.language;
  switch (id) {
    case ID_SHOW_CLOCK:
      state.checkable = true;
      state.checked = clockShown_;
      break;
    case ID_SHOW_HIDE:
      state.text = utf8(loadString(isVisible() ? 132 : 133, uiLanguage()));
      break;
    case ID_LOAD_LAST_DOCUMENT:
      state.checkable = true;
      state.checked = settings_.app.load_last_document != 0;
      break;
    case ID_CALENDAR_IN_TRAY:
      state.checkable = true;
      state.checked = settings_.app.calendar_in_tray != 0;
      break;
    case ID_TURN_OFF:
      state.enabled = tray_ && tray_->alarmRinging();
      break;
    case ID_LANGUAGE_RUSSIAN:
    case ID_LANGUAGE_ENGLISH:
    case ID_LANGUAGE_UKRAINIAN:
      // A stored language other than 0, 1 and 2 reads as English but marks no item.
      state.checkable = true;
      state.checked = language == (id == ID_LANGUAGE_RUSSIAN ? 0 : id == ID_LANGUAGE_ENGLISH ? 1 : 2);
      break;
    case ID_STATUS_BAR:
      state.checkable = true;
      state.checked = statusBar_->isVisible();
      break;
    case ID_REMINDERS:
      state.checkable = true;
      state.checked = listsWindowShown_;
      break;
    default:
      if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount) {
        const std::string& path = settings_.recent_files.files[static_cast<std::size_t>(id - ID_FILE_MRU_FILE1)];
        state.enabled = !path.empty();
        if (path.empty()) {
          state.text = utf8(desktopText(DesktopText::RecentFilePlaceholder, uiLanguage()));
        } else {
          const QString shown = QFontMetrics(font()).elidedText(utf8(path), Qt::ElideMiddle, 320);
          state.text = QStringLiteral("&%1 %2").arg(id - ID_FILE_MRU_FILE1 + 1).arg(shown);
        }
      }
      break;
  }
  return state;
}

// --- commands

void CMainFrame::runCommand(int id) {
  switch (id) {
    case ID_SHOW_CLOCK:
      settings_.clock.is_visible = settings_.clock.is_visible ? 0 : 1;
      ShowClock(settings_.clock.is_visible != 0);
      break;
    case ID_SHOW_HIDE:
      if (isVisible())
        hideToTray();
      else
        showFromTray();
      break;
    case ID_LOAD_LAST_DOCUMENT:
      settings_.app.load_last_document = settings_.app.load_last_document ? 0 : 1;
      break;
    case ID_CALENDAR_IN_TRAY:
      settings_.app.calendar_in_tray = settings_.app.calendar_in_tray ? 0 : 1;
      engine_->refreshDay(now());
      break;
    case ID_SPECIAL_SYMBOLS:
      qCInfo(lcFrame) << "would open the special symbol dialog";
      break;
    case ID_TURN_OFF:
      // The turn-off dialog will ask how; until it is there the command turns the alarms off.
      qCInfo(lcFrame) << "turn-off dialog not available yet: turning the ringing reminders off";
      engine_->StopAlarms(false, 0);
      tray_->setAlarmRinging(engine_->trayAlarmMark());
      break;
    case ID_LANGUAGE_RUSSIAN:
    case ID_LANGUAGE_ENGLISH:
    case ID_LANGUAGE_UKRAINIAN: {
      const int language = id == ID_LANGUAGE_RUSSIAN ? 0 : id == ID_LANGUAGE_ENGLISH ? 1 : 2;
      if (services_.setLanguage)
        services_.setLanguage(language);
      else
        settings_.app.language = language;
      languageChanged();
      break;
    }
    case ID_STATUS_BAR:
      statusBar_->setVisible(!statusBar_->isVisible());
      break;
    case ID_CONFIGURATION:
      qCInfo(lcFrame) << "would open the configuration dialog";
      break;
    case ID_REMINDERS:
      listsWindowShown_ = !listsWindowShown_;
      qCInfo(lcFrame) << "would" << (listsWindowShown_ ? "show" : "hide") << "the reminder and note lists window";
      break;
    case ID_STOPWATCH:
      qCInfo(lcFrame) << "would open the stopwatch";
      break;
    case ID_LIST_ADD:
    case ID_LIST_DELETE:
    case ID_LIST_MODIFY:
    case ID_LIST_ACTIVE:
      qCInfo(lcFrame) << "would pass list command" << id << "to the lists window";
      break;
    case ID_COPY_DATE:
      CopyDate();
      break;
    case ID_APP_ABOUT: {
      CTransparentAboutDlg about(uiLanguage(), isVisible() ? this : nullptr);
      about.exec();
      break;
    }
    case ID_APP_EXIT:
      emit exitRequested();
      break;
    case ID_FILE_NEW:
      documents_.newDocument();
      break;
    case ID_FILE_OPEN:
      documents_.openDocument();
      break;
    case ID_FILE_SAVE:
      documents_.save();
      break;
    case ID_FILE_SAVE_AS:
      documents_.saveAs();
      break;
    default:
      if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount)
        documents_.openRecent(id - ID_FILE_MRU_FILE1);
      break;
  }
  if (tray_) tray_->refreshMenu();
}

void CMainFrame::languageChanged() {
  ReloadMenu();
  if (tray_) tray_->refreshMenu();
  if (firstActivationDone_) engine_->refreshDay(now());
  qCInfo(lcFrame) << "would reload the texts of the lists window and the main view";
}

void CMainFrame::refreshTitle() {
  // String 143 filled with empty texts is the program's name.
  QString title = utf8(loadString(143, uiLanguage()));
  title.replace(QStringLiteral("%s"), QString());
  title = title.trimmed();
  if (title.isEmpty()) title = QStringLiteral("Kalvory");
  setWindowTitle(title);
  caption_->setTitle(title);
}

void CMainFrame::hideToTray() {
  hide();
  if (tray_) tray_->refreshMenu();
}

void CMainFrame::showFromTray() {
  if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  if (tray_) tray_->refreshMenu();
}

void CMainFrame::showInstance() { showFromTray(); }

void CMainFrame::showWindowMenu(const QPoint& globalPosition) {
  QMenu menu(this);
  for (const MenuTemplateItem& item : windowMenuTemplate(uiLanguage())) {
    if (item.isSeparator()) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(utf8(item.text));
    action->setData(item.id);
  }
  QAction* chosen = menu.exec(globalPosition);
  if (!chosen) return;
  const int id = chosen->data().toInt();
  if (id == ID_SHOW_HIDE) {
    hideToTray();
  } else if (id == ID_APP_EXIT) {
    runCommand(ID_APP_EXIT);
  } else if (windowHandle()) {
    windowHandle()->startSystemMove();
  }
}

// --- first activation and the tick

void CMainFrame::ActivateFrame() {
  ShowClock(settings_.clock.is_visible != 0);
  registerHotkeys();
  alarmTimer_.start();
  refreshTray();
  if (firstActivationDone_) return;
  firstActivationDone_ = true;
  ReloadMenu();
  ApplySkin(settings_.app.skin_path);
}

void CMainFrame::registerHotkeys() {
  if (hotkeysRegistered || !services_.hotkeys) return;
  hotkeysRegistered = true;
  holdsHotkeys_ = true;
  for (const HotkeyEntry& entry : kHotkeys) {
    HotkeyFailure failure;
    if (services_.hotkeys->registerHotkey(entry.id, kHotkeyControl | kHotkeyShift, entry.keysym, &failure)) continue;
    const QString message = QStringLiteral("%1 failed with error %2: %3")
                                .arg(QStringLiteral("RegisterHotKey"))
                                .arg(failure.code)
                                .arg(failure.reason);
    if (services_.errors) services_.errors->reportError("Error", toUtf8(message));
  }
}

void CMainFrame::hotkeyPressed(int id) {
  switch (id) {
    case HOTKEY_CLOCK:
      runCommand(ID_SHOW_CLOCK);
      break;
    case HOTKEY_PASTE_1:
    case HOTKEY_PASTE_2:
    case HOTKEY_PASTE_3:
      QuickPaste(id - HOTKEY_PASTE_1);
      break;
    case HOTKEY_TURN_OFF:
      // The key opens the turn-off dialog whether or not anything rings.
      runCommand(ID_TURN_OFF);
      break;
    case HOTKEY_SHOW_HIDE:
      runCommand(ID_SHOW_HIDE);
      break;
    case HOTKEY_WALLPAPER:
      ChangeWallpaper(true);
      break;
    default:
      break;
  }
}

void CMainFrame::alarmTick() {
  if (closed_) return;
  engine_->tick(now());
  tray_->setAlarmRinging(engine_->trayAlarmMark());
}

void CMainFrame::refreshTray() { engine_->refreshDay(now()); }

void CMainFrame::ShowClock(bool show) {
  clockShown_ = show;
  qCInfo(lcFrame) << "would" << (show ? "show" : "hide") << "the on-screen clock";
}

// --- clipboard commands

void CMainFrame::setClipboardText(const QString& text) {
  if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(text, QClipboard::Clipboard);
}

void CMainFrame::CopyDate() {
  FormatResult result = formatDateTime(documents_.document().copy_date_format, now());
  // A format the formatter refuses falls back to the document's default.
  if (!result.ok()) result = formatDateTime("%m/%d/%Y", now());
  if (result.ok()) setClipboardText(utf8(*result.text));
}

void CMainFrame::QuickPaste(int index) {
  FormatResult result;
  try {
    // The program's own codes (song, countdown, today's notes, Russian names) first, then strftime.
    result = quickPasteText(documents_.document(), index, now(), nullptr);
  } catch (const std::invalid_argument&) {
    qCWarning(lcFrame) << "no QuickPaste format" << index;
    return;
  }
  if (!result.ok()) {
    if (services_.errors) services_.errors->reportError({}, result.error);
    return;
  }
  setClipboardText(utf8(*result.text));
  if (services_.paste) services_.paste->paste();
}

// --- window events

void CMainFrame::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  // Minimising hides the window (and the lists window) to the tray instead.
  if (event->type() == QEvent::WindowStateChange && (windowState() & Qt::WindowMinimized)) {
    QTimer::singleShot(0, this, [this] {
      setWindowState(windowState() & ~Qt::WindowMinimized);
      hideToTray();
    });
  }
}

void CMainFrame::closeEvent(QCloseEvent* event) {
  // Closing the window is the exit command; the application decides when the window goes.
  event->ignore();
  if (!closed_) runCommand(ID_APP_EXIT);
}

void CMainFrame::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (tray_) tray_->refreshMenu();
}

void CMainFrame::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (tray_) tray_->refreshMenu();
}

void CMainFrame::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QLinearGradient fill(0, 0, 0, height());
  fill.setColorAt(0, palette().window().color().lighter(104));
  fill.setColorAt(1, palette().window().color().darker(104));
  painter.fillRect(rect(), fill);
  painter.setPen(caption_->captionColor().darker(140));
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event) {
  if (!event->mimeData()->hasUrls()) return;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile() && url.toLocalFile().endsWith(QStringLiteral(".alr"), Qt::CaseInsensitive)) {
      event->acceptProposedAction();
      return;
    }
  }
}

void CMainFrame::dropEvent(QDropEvent* event) {
  for (const QUrl& url : event->mimeData()->urls()) {
    const QString path = url.toLocalFile();
    if (url.isLocalFile() && path.endsWith(QStringLiteral(".alr"), Qt::CaseInsensitive)) {
      event->acceptProposedAction();
      activateWindow();
      documents_.openDocument(toUtf8(path));
      return;
    }
  }
}

// --- close

bool CMainFrame::closeFrame() {
  if (closed_) return true;
  qCInfo(lcFrame) << "would store the positions of the on-screen clock, the alarm message and the lists window";
  if (isVisible()) {
    settings_.app.main_position_x = frameGeometry().x();
    settings_.app.main_position_y = frameGeometry().y();
  }
  if (!documents_.saveModified()) return false;
  closed_ = true;
  alarmTimer_.stop();
  tray_->Remove();
  if (holdsHotkeys_) {
    services_.hotkeys->unregisterAll();
    hotkeysRegistered = false;
    holdsHotkeys_ = false;
  }
  qCInfo(lcFrame) << "would close the lists window and the notifier windows";
  placedStickers_.clear();
  if (services_.saveSettings) services_.saveSettings();
  hide();
  return true;
}

// --- skin

void CMainFrame::ApplySkin(const std::string& path) {
  const QFileInfo info(utf8(skinSettingFile(toUtf8(services_.dataFolder), path)));
  if (!info.isFile()) return;
  CProfile profile;
  profile.SetSaveOnClose(false);
  profile.SetStoreDefaults(false);
  profile.SetAddOnWrite(false);
  if (!profile.Load(toUtf8(info.absoluteFilePath()))) return;
  caption_->setCaptionColor(colorFromReference(profile.GetColor("UI", "CaptionColor", 0x808080)));
  const QString logoName = utf8(profile.GetString("UI", "CaptionLogo", ""));
  QImage logo;
  if (!logoName.isEmpty()) {
    // Beside the skin file, else (as the bundled skins name it) in the data folder.
    QFileInfo logoInfo(utf8(picturePath(toUtf8(info.absolutePath()), toUtf8(logoName))));
    if (!logoInfo.isFile()) logoInfo = QFileInfo(utf8(picturePath(toUtf8(services_.dataFolder), toUtf8(logoName))));
    if (logoInfo.isFile()) logo = loadCaptionLogo(logoInfo.absoluteFilePath());
  }
  caption_->setLogo(logo);
  update();
  qCInfo(lcFrame) << "would hand the skin to the main view and the lists window";
}

// --- AlarmFrame: the operations whose windows are still to come log what they would do.

void CMainFrame::ShowAlarmText(const std::string& text, bool show) {
  alarmTextExists_ = true;
  if (!text.empty() && text != alarmText_) {
    alarmText_ = text;
    qCInfo(lcFrame) << "would show the alarm message" << utf8(text);
  }
  alarmTextShowing_ = show;
  if (show) tray_->Animate(100, -1);
}

void CMainFrame::HideAlarmText() {
  if (alarmTextShowing_) qCInfo(lcFrame) << "would hide the alarm message";
  alarmTextShowing_ = false;
}

void CMainFrame::ShowNotifier(const std::string& plainText, int seconds, const std::string& notifierName) {
  qCInfo(lcFrame) << "would pop up notifier" << utf8(notifierName) << "for" << seconds << "s:" << utf8(plainText);
}

void CMainFrame::HideAllNotifiers() { qCDebug(lcFrame) << "would hide every notifier window"; }

template <class Step>
void CMainFrame::runWallpaperStep(Step&& step) {
  const std::int32_t position = settings_.wallpaper.position;
  const COleDateTime lastChanged = settings_.wallpaper.last_changed;
  step();
  // The changer's place in the folders is saved at once: a session that ends without the exit
  // command would otherwise show the same pictures again.
  if ((settings_.wallpaper.position != position || !(settings_.wallpaper.last_changed == lastChanged)) &&
      services_.saveSettings)
    services_.saveSettings();
}

void CMainFrame::SetReminderWallpaper(const std::string& path) {
  runWallpaperStep([&] { changer_->SetReminderWallpaper(path); });
}

void CMainFrame::UpdateReminderSticker(const CAlarmLine& reminder, const COleDateTime& now) {
  runWallpaperStep([&] { changer_->UpdateReminderSticker(reminder, documents_.document().stickers, now); });
}

void CMainFrame::UpdateDayNoteStickers(const CDayInfo* note, const COleDateTime& now) {
  runWallpaperStep([&] { changer_->UpdateDayNoteStickers(note, documents_.document().stickers, now); });
}

void CMainFrame::ApplyDayNoteWallpaper(const COleDateTime& now) {
  runWallpaperStep([&] { changer_->ApplyDayNoteWallpaper(documents_.document(), now); });
}

void CMainFrame::ChangeWallpaper(bool force) {
  runWallpaperStep([&] { changer_->ChangeWallpaper(force); });
}

void CMainFrame::PlayAlarmSound(const std::string& path) { qCInfo(lcFrame) << "would play" << utf8(path); }

void CMainFrame::ExecuteApplication(const std::string& commandLine) {
  qCInfo(lcFrame) << "would start" << utf8(commandLine);
}

void CMainFrame::RestoreWinampState() { qCDebug(lcFrame) << "would restore the media player"; }

void CMainFrame::SayTime() { qCDebug(lcFrame) << "would announce the time when due"; }

void CMainFrame::SuspendComputer() {
  if (services_.power)
    services_.power->suspend();
  else
    qCInfo(lcFrame) << "would suspend the computer";
}

void CMainFrame::BeginExit(int exitAction) {
  alarmTimer_.stop();
  qCInfo(lcFrame) << "exit action" << exitAction << "begins: saving and closing";
  documents_.save();
  // Leave the tick first: the exit tears down what the alarm check is still using.
  QMetaObject::invokeMethod(
      this, [this] { runCommand(ID_APP_EXIT); }, Qt::QueuedConnection);
}

void CMainFrame::RecreateTrayIconIfGone() { tray_->recreateIfTrayReturned(); }

void CMainFrame::StopTrayAnimation() { tray_->StopAnimation(); }

QString CMainFrame::localeDateText(const COleDateTime& date) const {
  const QLocale locale(utf8(std::string(settings_.app.localeName())));
  return locale.toString(QDate(date.GetYear(), date.GetMonth(), date.GetDay()), QLocale::LongFormat);
}

void CMainFrame::RefreshTrayDay(const TrayDayInfo& day) {
  today_ = day.dayOfMonth;
  const std::string dateText = day.today.isValid() ? toUtf8(localeDateText(day.today)) : std::string();
  const QString shown =
      QStringLiteral("%1|%2|%3|").arg(day.dayOfMonth).arg(day.iconColour).arg(settings_.app.calendar_in_tray) +
      utf8(dateText) + QLatin1Char('|') + utf8(day.notesText);
  if (shown == trayDayShown_) return;
  trayDayShown_ = shown;
  QIcon icon;
  if (settings_.app.calendar_in_tray) {
    icon = drawDateIcon(day.dayOfMonth, colorFromReference(day.iconColour));
    if (icon.isNull()) icon = dayFallbackIcon(day.dayOfMonth);
  } else {
    icon = programIcon();
  }
  if (tray_->isAnimating()) {
    // The animation puts back the icon it found; the new day's icon must be that one.
    tray_->StopAnimation();
    tray_->SetIcon(icon);
    tray_->Animate(100, -1);
  } else {
    tray_->SetIcon(icon);
  }
  tray_->SetTooltipText(utf8(trayTooltipText(dateText, day.notesText)));
}

void CMainFrame::ReminderStateChanged(std::size_t index, int newState) {
  qCDebug(lcFrame) << "would refresh reminder" << index << "in the lists window, state" << newState;
}

}  // namespace kalvory
