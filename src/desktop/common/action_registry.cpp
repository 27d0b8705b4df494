#include "desktop/common/action_registry.h"

#include <QLoggingCategory>

namespace kalvory {

Q_LOGGING_CATEGORY(lcActions, "kalvory.actions", QtInfoMsg)

ActionRegistry::ActionRegistry(std::function<UiLanguage()> language, QObject* parent)
    : QObject(parent), language_(std::move(language)) {}

void ActionRegistry::add(int id, Handler handler, StateRule state) {
  entries_[id] = Entry{std::move(handler), std::move(state)};
}

void ActionRegistry::addToggle(int id, Handler handler, std::function<bool()> checked) {
  add(id, std::move(handler), [checked = std::move(checked)] {
    CommandState state;
    state.checkable = true;
    state.checked = checked();
    return state;
  });
}

void ActionRegistry::runCommand(int id) {
  auto found = entries_.find(id);
  if (found == entries_.end()) {
    qCDebug(lcActions) << "no feature carries out command" << id;
    return;
  }
  // The handler may register commands anew (a language change rebuilds menus): keep a copy.
  const Handler handler = found->second.handler;
  if (handler) handler();
  emit commandRan(id);
}

CommandState ActionRegistry::commandState(int id) const {
  auto found = entries_.find(id);
  if (found == entries_.end()) {
    CommandState state;
    state.enabled = false;
    return state;
  }
  return found->second.state ? found->second.state() : CommandState{};
}

}  // namespace kalvory
