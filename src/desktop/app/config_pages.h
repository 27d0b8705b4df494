#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "desktop/common/config_page.h"

namespace kalvory {

class PluginHost;

// The pages of the configuration dialog in the order of its titles, each handed in by the
// feature it belongs to: the general, sound, QuickPaste, wallpaper and sticker pages by the
// configuration itself, the on-screen looks and clock format by the on-screen windows, the
// plug-ins by the plug-in host, the notifiers by the taskbar notifier and the skins by the clock;
// the calendar sync's page, which the running sync makes, comes last when it is given.
std::vector<ConfigPageSource> programConfigPages(const PluginHost* plugins, std::string dataFolder,
                                                 std::function<QString()> wakeUnavailable = {},
                                                 std::optional<ConfigPageSource> syncPage = {});

}  // namespace kalvory
