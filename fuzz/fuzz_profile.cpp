// Feeds arbitrary bytes to the profile store as a definition file. Checks that nothing crashes,
// that a file that does not load gives the store's message and a definition with every default,
// and that a file that loads is saved and loaded back to the same entries.
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

#include "core/common/error_reporter.h"
#include "core/common/text.h"
#include "core/settings/profile.h"
#include "core/skins/definitions.h"

namespace {

using namespace kalvory;

void require(bool condition, const char* what) {
  if (!condition) {
    std::fprintf(stderr, "fuzz_profile: %s\n", what);
    std::abort();
  }
}

const std::string& workFolder() {
  static const std::string folder = [] {
    std::string pattern = (access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp") + std::string("/fuzz_profile_XXXXXX");
    require(mkdtemp(pattern.data()) != nullptr, "cannot make a work folder");
    return pattern;
  }();
  return folder;
}

std::string loadMessage(const std::string& path) {
  std::string message(kProfileLoadFailedMessage);
  return message.replace(message.find("%s"), 2, path);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string input = workFolder() + "/input.xml";
  const std::string output = workFolder() + "/output.xml";
  {
    std::ofstream out(input, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  }

  RecordingErrorReporter reporter;
  CProfile profile(&reporter);
  profile.SetSaveOnClose(false);
  profile.SetDefaultFile(workFolder() + "/default.xml");
  const bool loaded = profile.Load(input);

  if (!loaded) {
    require(profile.items().empty(), "a failed load left entries");
    require(reporter.entries.size() == 1, "a failed load did not show one message");
    const bool parserMessage = reporter.entries[0].message == kProfileParserMissingMessage;
    require(parserMessage || reporter.entries[0].message == loadMessage(input), "wrong load message");
    // The definition readers go on with every default.
    RecordingErrorReporter definitionReporter;
    const CTBNotifierContext notifier = ReadNotifier(input, "", &definitionReporter);
    require(definitionReporter.entries.size() == 1, "the notifier reader did not report the file");
    require(notifier.name.empty() && notifier.isDefault && notifier.transparency == 200 &&
                notifier.fontName == "Arial" && notifier.textRect == DefinitionRect{20, 20, 200, 120},
            "a broken notifier did not get the defaults");
    const CWPStickerContext sticker = ReadSticker(input, "n/a", &definitionReporter);
    require(sticker.placement == (kPlaceRight | kPlaceTop) && !sticker.isDefault,
            "a broken sticker did not get the defaults");
    return 0;
  }
  require(reporter.entries.empty(), "a good load showed a message");

  // Every typed read of the first entries, as the definition readers would make them.
  profile.SetStoreDefaults(false);
  const std::size_t count = std::min<std::size_t>(profile.items().size(), 64);
  for (std::size_t i = 0; i < count; ++i) {
    const CProfileItem item = *profile.items()[i];
    const std::string text = profile.GetString(item.section, item.name, "");
    const CProfileItem* first = nullptr;
    for (const auto& other : profile.items()) {
      if (equalsIgnoringAsciiCase(other->section, item.section) && equalsIgnoringAsciiCase(other->name, item.name)) {
        first = other.get();
        break;
      }
    }
    require(first != nullptr && text == first->value, "a read did not give the first matching entry");
    (void)profile.GetInt(item.section, item.name, 0);
    (void)profile.GetDouble(item.section, item.name, 0.0);
    require(profile.GetColor(item.section, item.name, 0) <= 0xFFFFFFu, "a colour with its top byte set");
  }
  (void)profile.DumpText(0, -1);
  (void)profile.DumpSectionText(count > 0 ? profile.items()[0]->section : "General");
  (void)ReadSkinContext(input, &reporter);

  // What the store writes, it reads back to the same entries.
  const std::string written = profile.ComposeText();
  require(profile.SaveAs(output), "the store could not save");
  CProfile again(&reporter);
  again.SetSaveOnClose(false);
  require(again.Load(output), "a saved store did not load");
  require(again.items().size() == profile.items().size(), "a saved store lost entries");
  require(again.ComposeText() == written, "a saved store loaded back differently");
  for (std::size_t i = 0; i < count; ++i) {
    const CProfileItem& item = *profile.items()[i];
    require(again.Exists(item.section, item.name), "a saved entry is missing");
  }
  return 0;
}
