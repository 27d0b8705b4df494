// The main window's menu bar: built from the menu resource in the window's language, with the
// recent documents above "Exit" and each command's key beside its text.
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

#include "desktop/common/action_registry.h"
#include "desktop/common/commands.h"
#include "desktop/common/menu_resources.h"
#include "desktop/common/qt_text.h"
#include "desktop/shell/main_frame.h"

namespace kalvory {

void CMainFrame::ReloadMenu() {
  // The old menus go, and with them their keys: a key bound twice in one window fires neither.
  for (QAction* key : actions()) removeAction(key);
  for (QAction* item : menuBar_->actions())
    if (auto* menu = item->menu<QMenu*>()) menu->deleteLater();
  menuBar_->clear();
  menuActions_.clear();
  for (const MenuItem& item : loadMenu(kMainMenuId, uiLanguage())) {
    // The top-level "Logo menu" item is the caption's logo here, which opens the about box.
    if (item.kind != MenuItem::Kind::Popup) continue;
    QMenu* menu = menuBar_->addMenu(toQString(item.text));
    buildMenu(menu, item.items);
  }
  refreshTitle();
}

namespace {

// The menu text with the name of the command's key beside it.
QString withKeyName(const QString& text, int id) {
  const auto shortcut = shortcutFor(id);
  return shortcut ? text + QLatin1Char('\t') + shortcut->keys.toString(QKeySequence::NativeText) : text;
}

}  // namespace

QAction* CMainFrame::addCommandAction(QMenu* menu, int id, const QString& text) {
  QAction* action = menu->addAction(withKeyName(text, id));
  action->setData(id);
  menuActions_[id] = action;
  connect(action, &QAction::triggered, this, [this, id] { actions_.runCommand(id); });
  // The window's own keys work whether or not a menu is open; the global ones are X grabs.
  const auto shortcut = shortcutFor(id);
  if (shortcut && shortcut->hotkeyId == 0 && !action->property("accelerator").isValid()) {
    auto* key = new QAction(action);
    key->setShortcut(shortcut->keys);
    key->setShortcutContext(Qt::WindowShortcut);
    connect(key, &QAction::triggered, this, [this, id] { actions_.runCommand(id); });
    addAction(key);
    action->setProperty("accelerator", true);
  }
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
                         toQString(loadString(StringId::RecentFilePlaceholder, uiLanguage())));
    }
    switch (item.kind) {
      case MenuItem::Kind::Separator:
        menu->addSeparator();
        break;
      case MenuItem::Kind::Popup:
        buildMenu(menu->addMenu(toQString(item.text)), item.items);
        break;
      case MenuItem::Kind::Command:
        addCommandAction(menu, item.command, toQString(item.text));
        break;
    }
  }
}

void CMainFrame::updateMenu(QMenu* menu) {
  for (QAction* action : menu->actions()) {
    bool ok = false;
    const int id = action->data().toInt(&ok);
    if (!ok || id == 0) continue;
    const CommandState state = actions_.commandState(id);
    action->setEnabled(state.enabled);
    action->setCheckable(state.checkable);
    action->setChecked(state.checked);
    if (!state.text.isEmpty()) action->setText(withKeyName(state.text, id));
    if (id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + kRecentFileCount)
      action->setVisible(id == ID_FILE_MRU_FILE1 || state.enabled);
  }
}

QAction* CMainFrame::menuAction(int id) const {
  auto found = menuActions_.find(id);
  return found == menuActions_.end() ? nullptr : found->second;
}

}  // namespace kalvory
