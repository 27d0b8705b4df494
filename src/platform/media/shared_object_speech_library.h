#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "core/alarms/action_services.h"

namespace kalvory {

// The speech library as a shared object: lib<library>.so from the first of `folders` that has
// it, opened for one call of its argument-less function and closed again. A missing library or
// function does nothing. The program's language goes to the library in the environment
// variable KALVORY_LANGUAGE (0 Russian, 1 English, 2 Ukrainian) just before the call.
class SharedObjectSpeechLibrary final : public SpeechLibrary {
 public:
  using LanguageSource = std::function<int()>;

  SharedObjectSpeechLibrary(QStringList folders, LanguageSource language = {})
      : folders_(std::move(folders)), language_(std::move(language)) {}

  void callOnce(std::string_view library, std::string_view function) override;

  // The folders the program looks in: $KALVORY_LIBRARY_DIR when set, the program's own folder,
  // and the installed library folder (<prefix>/<libdir>/kalvory) next to the program's bin folder.
  static QStringList programLibraryFolders();

 private:
  QStringList folders_;
  LanguageSource language_;
};

}  // namespace kalvory
