#include "desktop/app/config_pages.h"

#include <utility>

#include "desktop/clock/skins_page.h"
#include "desktop/config/definition_pages.h"
#include "desktop/config/general_pages.h"
#include "desktop/config/wallpaper_page.h"
#include "desktop/notifier/notifiers_page.h"
#include "desktop/osd/osd_font_page.h"
#include "desktop/osd/time_format_page.h"
#include "desktop/plugins/plugins_page.h"

namespace kalvory {

std::vector<ConfigPageSource> programConfigPages(const PluginHost* plugins, std::string dataFolder,
                                                 std::function<QString()> wakeUnavailable,
                                                 std::optional<ConfigPageSource> syncPage) {
  std::vector<ConfigPageSource> pages{generalPageSource(std::move(wakeUnavailable)),
                                      osdLooksPageSource(),
                                      clockFormatPageSource(),
                                      soundPageSource(),
                                      quickPastePageSource(),
                                      pluginsPageSource(plugins),
                                      wallpaperPageSource(),
                                      notifiersPageSource(),
                                      stickersPageSource(),
                                      skinsPageSource(std::move(dataFolder))};
  if (syncPage) pages.push_back(std::move(*syncPage));
  return pages;
}

}  // namespace kalvory
