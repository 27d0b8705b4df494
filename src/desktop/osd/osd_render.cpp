#include "desktop/osd/osd_render.h"

#include <exception>
#include <optional>

#include "core/clock/osd_layout.h"
#include "core/clock/time_format.h"
#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"
#include "core/resources/resource_strings.h"
#include "core/settings/app_settings.h"
#include "desktop/common/qt_text.h"
#include "desktop/osd/osd_drawing.h"
#include "platform/settings/ini_settings_store.h"

namespace kalvory {

namespace {

constexpr StringId kSampleMessage = StringId::NotifierTestMessage;

// The settings of --config, or the defaults without one.
std::optional<ApplicationSettings> requestSettings(const RenderRequest& request, QString& error) {
  if (request.configFile.isEmpty()) return defaultSettings(SettingsEnvironment{});
  const IniSettingsStore store(toStdString(request.configFile));
  if (store.fileState() == IniSettingsStore::FileState::Unreadable ||
      store.fileState() == IniSettingsStore::FileState::TooLarge) {
    error = toQString(store.problem());
    return std::nullopt;
  }
  return LoadSettings(store, SettingsEnvironment{});
}

RenderResult picture(const OsdLooks& looks, const std::string& text) {
  const OsdRendering rendering = renderOsd(looks, osdSetText({}, text).text);
  return {osdWindowPicture(rendering, looks.opacity), {}};
}

}  // namespace

RenderResult renderOsdText(const RenderRequest& request) {
  QString error;
  const std::optional<ApplicationSettings> settings = requestSettings(request, error);
  if (!settings) return {{}, error};
  const std::string text = request.text.isEmpty() ? loadString(kSampleMessage, languageFromSetting(request.language))
                                                  : toStdString(request.text);
  return picture(looksOf(settings->text), text);
}

RenderResult renderOsdClock(const RenderRequest& request) {
  QString error;
  const std::optional<ApplicationSettings> settings = requestSettings(request, error);
  if (!settings) return {{}, error};
  CAlarmDoc document;
  if (!request.documentFile.isEmpty()) {
    const auto loaded = loadDocumentFile(document, toStdString(request.documentFile));
    if (!loaded.ok()) return {{}, QString::fromStdString(loaded.error())};
  }
  const std::string format = request.format.isEmpty() ? settings->clock.format : toStdString(request.format);
  TimeFormatSources sources = timeFormatSources(document, request.time, nullptr);
  sources.names_language = languageFromSetting(request.language);
  const Result<std::string> text = formatTimeText(acceptClockFormat(format, sources), sources);
  if (!text.ok()) return {{}, toQString(text.error())};
  return picture(looksOf(settings->clock), text.value());
}

}  // namespace kalvory
