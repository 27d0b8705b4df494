#include "desktop/notifier/notifier_feature.h"

#include "core/model/alarm_doc.h"
#include "desktop/common/qt_text.h"
#include "desktop/notifier/taskbar_notifier.h"

namespace kalvory {

namespace {

// Definition rectangles count right and bottom one past the last pixel.
QRect rectOf(const DefinitionRect& rect) {
  return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

}  // namespace

bool configureNotifier(CTaskbarNotifier& popup, const CTBNotifierContext& definition) {
  popup.setDefinitionName(definition.name);
  const ColorRef key = definition.transparentColor;
  const bool loaded = popup.SetSkin(toQString(definition.skinPath), static_cast<int>(key & 0xFF),
                                    static_cast<int>((key >> 8) & 0xFF), static_cast<int>((key >> 16) & 0xFF));
  // "FontSize" counts points; the popup takes tenths of a point.
  popup.SetFonts(toQString(definition.fontName), definition.fontSize * 10, definition.normalTextStyle,
                 definition.selectedTextStyle);
  popup.SetTextColors(definition.normalTextColor, definition.selectedTextColor);
  popup.SetTextRect(rectOf(definition.textRect));
  popup.SetCloseBox(rectOf(definition.closeBox));
  popup.setOpacities(definition.transparency, definition.selectedTransparency);
  return loaded;
}

NotifierFeature::NotifierFeature(CAlarmDoc& document, Services services)
    : document_(document), services_(std::move(services)) {}

NotifierFeature::~NotifierFeature() = default;

void NotifierFeature::createPopups() {
  QWidget* owner = services_.owner ? services_.owner() : nullptr;
  for (const CTBNotifierContext& definition : document_.notifiers) {
    auto popup = std::make_unique<CTaskbarNotifier>(owner);
    configureNotifier(*popup, definition);
    QObject::connect(popup.get(), &CTaskbarNotifier::postponeClicked, popup.get(), [this] {
      if (services_.postpone) services_.postpone();
    });
    QObject::connect(popup.get(), &CTaskbarNotifier::stopClicked, popup.get(), [this] {
      if (services_.stop) services_.stop();
    });
    popups_.push_back(std::move(popup));
  }
}

// The popups follow the document's definitions, which a new or opened document reloads.
bool NotifierFeature::popupsCurrent() const {
  if (popups_.size() != document_.notifiers.size()) return false;
  for (std::size_t i = 0; i < popups_.size(); ++i)
    if (popups_[i]->definitionName() != document_.notifiers[i].name) return false;
  return true;
}

void NotifierFeature::ShowNotifier(const std::string& plainText, int seconds, const std::string& notifierName) {
  if (popups_.empty() || !popupsCurrent()) {
    popups_.clear();
    createPopups();
  }
  for (const auto& popup : popups_) {
    if (!notifierName.empty() && popup->definitionName() != notifierName) continue;
    popup->Show(toQString(plainText), 500, static_cast<unsigned>(std::max(0, seconds)) * 1000U, 500);
    return;
  }
}

void NotifierFeature::HideAllNotifiers() {
  for (const auto& popup : popups_) popup->Hide();
}

}  // namespace kalvory
