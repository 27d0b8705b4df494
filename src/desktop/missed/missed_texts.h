#pragma once

#include <QString>

#include "core/resources/resource_strings.h"

namespace kalvory {

// Texts of the "While you were away" window and of the reminder notifications, in the three
// interface languages. They are this program's own additions, so they live beside the feature
// rather than in the string tables the older windows share.
enum class MissedText {
  Caption,
  Intro,
  TimeHeader,
  TextHeader,
  Postpone,
  TurnOff,
  PostponeAll,
  TurnOffAll,
};
QString missedText(MissedText text, UiLanguage language);

}  // namespace kalvory
