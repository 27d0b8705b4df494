#include "desktop/config/config_texts.h"

namespace kalvory {

QString configText(ConfigText text, UiLanguage language) {
  const int column = language == UiLanguage::Russian ? 1 : language == UiLanguage::Ukrainian ? 2 : 0;
  static const char* const kTexts[][3] = {
      {"This skin file cannot be read:\n%1", "Не удаётся прочитать файл скина:\n%1",
       "Не вдається прочитати файл скіна:\n%1"},
      {"The clock face of this skin cannot be loaded:\n%1", "Не удаётся загрузить циферблат этого скина:\n%1",
       "Не вдається завантажити циферблат цього скіна:\n%1"},
      {"The picture of this sticker cannot be loaded:\n%1", "Не удаётся загрузить картинку этого стикера:\n%1",
       "Не вдається завантажити картинку цього стікера:\n%1"},
  };
  return QString::fromUtf8(kTexts[static_cast<int>(text)][column]);
}

}  // namespace kalvory
