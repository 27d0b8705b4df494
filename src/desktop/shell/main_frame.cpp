#include "desktop/shell/main_frame.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <utility>

#include "core/settings/data_folder.h"
#include "core/settings/profile.h"
#include "core/skins/definitions.h"
#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/date_icon.h"
#include "desktop/common/menu_resources.h"
#include "desktop/common/program_title.h"
#include "desktop/common/qt_text.h"
#include "desktop/common/screen_placement.h"
#include "desktop/shell/caption_bar.h"
#include "desktop/shell/document_controller.h"
#include "desktop/shell/frame_geometry.h"
#include "platform/session/desktop_session.h"

namespace kalvory {

namespace {

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

CMainFrame::CMainFrame(ApplicationSettings& settings, ActionRegistry& actions, DocumentController& documents,
                       Services services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      settings_(settings),
      actions_(actions),
      documents_(documents),
      services_(std::move(services)) {
  setObjectName(QStringLiteral("Kalvory2"));
  setWindowIcon(programIcon());
  setAcceptDrops(true);
  setAttribute(Qt::WA_QuitOnClose, false);

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

  connect(caption_, &CCaptionBar::aboutRequested, this, [this] { actions_.runCommand(ID_APP_ABOUT); });
  connect(caption_, &CCaptionBar::closeRequested, this, [this] { actions_.runCommand(ID_APP_EXIT); });
  connect(caption_, &CCaptionBar::hideRequested, this, &CMainFrame::hideToTray);
  connect(caption_, &CCaptionBar::windowMenuRequested, this, &CMainFrame::showWindowMenu);

  registerCommands();
  ReloadMenu();
  placeOnScreen();
}

CMainFrame::~CMainFrame() = default;

UiLanguage CMainFrame::uiLanguage() const { return settings_.app.uiLanguage(); }

void CMainFrame::registerCommands() {
  actions_.add(
      ID_SHOW_HIDE, [this] { isVisible() ? hideToTray() : showFromTray(); },
      [this] {
        CommandState state;
        state.text = toQString(loadString(isVisible() ? StringId::Hide : StringId::Show, uiLanguage()));
        return state;
      });
  actions_.addToggle(
      ID_STATUS_BAR, [this] { statusBar_->setVisible(!statusBar_->isVisible()); },
      [this] { return statusBar_->isVisible(); });
}

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
  const QPoint stored = initialFramePosition(settings_.app.main_position_x, settings_.app.main_position_y, screenSize);
  // A place kept from another screen layout (another scale, a monitor since unplugged) may be
  // on the screen's area by the numbers and still leave half the window off it.
  move(keptOnScreen(QRect(stored, size)).topLeft());
  keepOnScreenWhenScreensChange(this);
}

void CMainFrame::refreshTitle() {
  const QString title = documentWindowTitle(toQString(documents_.title()), documents_.document().IsModified(),
                                            programTitle(uiLanguage()));
  setWindowTitle(title);
  caption_->setTitle(title);
}

QString documentWindowTitle(const QString& documentName, bool modified, const QString& programName) {
  // As the desktop's own programs name their windows: the document first, marked while it has
  // unsaved changes, then the program.
  return documentName + (modified ? QStringLiteral("*") : QString()) + QStringLiteral(" \u2014 ") + programName;
}

void CMainFrame::hideToTray() {
  hide();
  emit visibilityChanged();
}

void CMainFrame::showFromTray() {
  if (windowState() & Qt::WindowMinimized) setWindowState(windowState() & ~Qt::WindowMinimized);
  show();
  raise();
  activateWindow();
  emit visibilityChanged();
}

void CMainFrame::showWindowMenu(const QPoint& globalPosition) {
  QMenu menu(this);
  for (const MenuTemplateItem& item : windowMenuTemplate(uiLanguage())) {
    if (item.isSeparator()) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(toQString(item.text));
    action->setData(item.id);
  }
  QAction* chosen = menu.exec(globalPosition);
  if (!chosen) return;
  const int id = chosen->data().toInt();
  if (id == ID_SHOW_HIDE) {
    hideToTray();
  } else if (id == ID_APP_EXIT) {
    actions_.runCommand(ID_APP_EXIT);
  } else if (windowHandle()) {
    windowHandle()->startSystemMove();
  }
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
  // The application decides when the window goes. The window manager's close keeps a tray
  // program running where the window can be brought back; else it is the exit command.
  event->ignore();
  if (closed_) return;
  if (starting_) {
    closeWaiting_ = true;
    return;
  }
  windowManagerClosed();
}

void CMainFrame::windowManagerClosed() {
  if (closed_) return;
  if (services_.windowCloseKeepsRunning && services_.windowCloseKeepsRunning())
    hideToTray();
  else
    actions_.runCommand(ID_APP_EXIT);
}

void CMainFrame::setStarting(bool starting) {
  starting_ = starting;
  if (starting_ || !closeWaiting_) return;
  closeWaiting_ = false;
  QTimer::singleShot(0, this, [this] { windowManagerClosed(); });
}

void CMainFrame::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  emit visibilityChanged();
}

void CMainFrame::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  emit visibilityChanged();
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
      documents_.openDocument(toStdString(path));
      return;
    }
  }
}

// --- close

bool CMainFrame::closeFrame() {
  if (closed_) return true;
  // On native Wayland the frame's place reads 0,0 wherever it is: the stored place is kept.
  if (isVisible() && windowPositionsReadable(QGuiApplication::platformName())) {
    settings_.app.main_position_x = frameGeometry().x();
    settings_.app.main_position_y = frameGeometry().y();
  }
  if (!documents_.saveModified()) return false;
  closed_ = true;
  hide();
  return true;
}

// --- skin

void CMainFrame::ApplySkin(const std::string& path, const std::string& dataFolder) {
  const QFileInfo info(toQString(skinSettingFile(dataFolder, path)));
  if (!info.isFile()) return;
  CProfile profile;
  profile.SetSaveOnClose(false);
  profile.SetStoreDefaults(false);
  profile.SetAddOnWrite(false);
  if (!profile.Load(toStdString(info.absoluteFilePath()))) return;
  caption_->setCaptionColor(colorFromReference(profile.GetColor("UI", "CaptionColor", 0x808080)));
  const QString logoName = toQString(profile.GetString("UI", "CaptionLogo", ""));
  QImage logo;
  if (!logoName.isEmpty()) {
    // Beside the skin file, else (as the bundled skins name it) in the data folder.
    QFileInfo logoInfo(toQString(picturePath(toStdString(info.absolutePath()), toStdString(logoName))));
    if (!logoInfo.isFile()) logoInfo = QFileInfo(toQString(picturePath(dataFolder, toStdString(logoName))));
    if (logoInfo.isFile()) logo = loadCaptionLogo(logoInfo.absoluteFilePath());
  }
  caption_->setLogo(logo);
  update();
}

}  // namespace kalvory
