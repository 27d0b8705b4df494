#pragma once

#include <QObject>
#include <functional>
#include <unordered_map>

#include "desktop/common/command_target.h"

namespace kalvory {

// Every command of the program, registered once by the feature that carries it out: menus, the
// tray menu, global hotkeys and the caption look commands up here by id. A command nobody has
// registered shows disabled and does nothing.
class ActionRegistry final : public QObject, public CommandTarget {
  Q_OBJECT
 public:
  using Handler = std::function<void()>;
  using StateRule = std::function<CommandState()>;

  explicit ActionRegistry(std::function<UiLanguage()> language, QObject* parent = nullptr);

  // Registers `id`; a second registration of the same id replaces the first.
  void add(int id, Handler handler, StateRule state = {});
  // A checkable command whose mark follows `checked`.
  void addToggle(int id, Handler handler, std::function<bool()> checked);
  bool contains(int id) const { return entries_.count(id) != 0; }

  // --- CommandTarget
  void runCommand(int id) override;
  CommandState commandState(int id) const override;
  UiLanguage uiLanguage() const override { return language_(); }

 signals:
  // A command ran: the menus refresh their marks.
  void commandRan(int id);

 private:
  struct Entry {
    Handler handler;
    StateRule state;
  };
  std::function<UiLanguage()> language_;
  std::unordered_map<int, Entry> entries_;
};

}  // namespace kalvory
