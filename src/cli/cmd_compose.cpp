// kalvory-cli compose: one wallpaper composition as the program makes it, written to a file.
#include <stdlib.h>

#include <QGuiApplication>
#include <charconv>
#include <filesystem>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/command.h"
#include "core/settings/data_folder.h"
#include "core/skins/definitions.h"
#include "core/wallpaper/wallpaper_compositor.h"
#include "platform/wallpaper/sticker_text_renderer.h"

namespace kalvory::cli {
namespace {

int WholeNumber(const std::string& text, const std::string& what) {
  const std::optional<int> value = parseNumber<int>(text);
  if (!value) throw UsageError{what + " needs a whole number: " + text};
  return *value;
}

// "WxH" with both sides from 1 to 16384.
std::pair<int, int> ScreenSize(const std::string& text) {
  const std::size_t x = text.find('x');
  if (x == std::string::npos) throw UsageError{"--screen needs WIDTHxHEIGHT: " + text};
  const int width = WholeNumber(text.substr(0, x), "--screen");
  const int height = WholeNumber(text.substr(x + 1), "--screen");
  if (width < 1 || height < 1 || width > 16384 || height > 16384) {
    throw UsageError{"--screen sides must be 1 to 16384: " + text};
  }
  return {width, height};
}

ColorRef BackgroundColour(const std::string& text) {
  std::string digits = text;
  if (!digits.empty() && digits[0] == '#') digits.erase(0, 1);
  unsigned value = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value, 16);
  if (digits.size() != 6 || error != std::errc() || end != digits.data() + digits.size()) {
    throw UsageError{"--background needs six hexadecimal digits RRGGBB: " + text};
  }
  return makeColorRef(static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 8),
                      static_cast<std::uint8_t>(value));
}

int runCompose(CommandContext& context) {
  Arguments arguments(context.args);
  std::string picture;
  std::string screenText;
  std::string styleText;
  std::string backgroundText;
  std::string pattern;
  std::string dataFolder;
  std::string out;
  if (!arguments.takeOption("--picture", picture)) throw UsageError{"--picture is required"};
  if (!arguments.takeOption("--screen", screenText)) throw UsageError{"--screen is required"};
  if (!arguments.takeOption("--out", out)) throw UsageError{"--out is required"};
  const bool haveStyle = arguments.takeOption("--style", styleText);
  const bool haveBackground = arguments.takeOption("--background", backgroundText);
  const bool havePattern = arguments.takeOption("--pattern", pattern);
  const bool haveData = arguments.takeOption("--data", dataFolder);
  const std::vector<std::string> stickerNames = arguments.takeAllOptions("--sticker");
  const std::vector<std::string> stickerTexts = arguments.takeAllOptions("--sticker-text");
  arguments.positionals(0, 0);
  if (stickerNames.size() != stickerTexts.size()) {
    throw UsageError{"each --sticker needs its --sticker-text"};
  }

  const auto [width, height] = ScreenSize(screenText);
  CWallpaperContext request;
  request.picture = picture;
  request.style = haveStyle ? WholeNumber(styleText, "--style") : 2;
  if (request.style < 0 || request.style > 2) throw UsageError{"--style must be 0, 1 or 2"};
  request.background_color = haveBackground ? BackgroundColour(backgroundText) : 0;
  request.background_style = havePattern ? 1 : 0;
  request.pattern = pattern;
  request.enabled = 1;
  request.origin = 1;
  if (!haveData) dataFolder = dataFolderPath();

  // The stickers are placed as a reminder places them: every definition of the name.
  std::vector<CWPStickerContext> placed;
  if (!stickerNames.empty()) {
    const std::vector<CWPStickerContext> definitions = LoadStickers(dataFolder, "n/a", &context.errors);
    for (std::size_t i = 0; i < stickerNames.size(); ++i) {
      bool found = false;
      for (const CWPStickerContext& definition : definitions) {
        if (definition.name != stickerNames[i]) continue;
        CWPStickerContext sticker = definition;
        sticker.text = stickerTexts[i];
        sticker.placedBy = kPlacedByReminder;
        placed.push_back(std::move(sticker));
        found = true;
      }
      if (!found) {
        return context.refuse("no sticker definition named \"" + stickerNames[i] + "\" in " + dataFolder + "/Stickers");
      }
    }
  }

  // Sticker texts are drawn with Qt's text engine, which needs a GUI application; this command
  // never shows a window, so the offscreen platform serves wherever it runs.
  std::optional<QGuiApplication> application;
  int argc = 1;
  char program[] = "kalvory-cli";
  char* argv[] = {program, nullptr};
  if (!placed.empty() && QCoreApplication::instance() == nullptr) {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    application.emplace(argc, argv);
  }
  QtStickerTextRenderer textRenderer;

  // The compositor writes its file into a private folder; the result is then moved to --out.
  std::error_code code;
  std::string scratch = (std::filesystem::temp_directory_path(code) / "kalvory-compose-XXXXXX").string();
  if (code || mkdtemp(scratch.data()) == nullptr) return context.refuse("cannot make a temporary folder");
  int status = kExitOk;
  {
    CWallpaperCompositor compositor(width, height, scratch, placed, &textRenderer);
    if (auto composed = compositor.Compose(request); !composed.ok()) {
      status = context.refuse(picture + ": " + composed.error());
    } else {
      std::filesystem::copy_file(compositor.composedFilePath(), out, std::filesystem::copy_options::overwrite_existing,
                                 code);
      if (code) {
        status = context.refuse("cannot write " + out + ": " + code.message());
      } else {
        context.out << out << ": " << width << "x" << height << ", " << placed.size() << " sticker"
                    << (placed.size() == 1 ? "" : "s") << "\n";
      }
    }
  }
  std::filesystem::remove_all(scratch, code);
  return status;
}

const Registration registration{
    {"compose",
     "compose --picture FILE --screen WxH [--style 0|1|2] [--background RRGGBB] [--pattern FILE] "
     "[--sticker DEFINITION_NAME --sticker-text TEXT]... [--data DIR] --out FILE.bmp",
     "Composes one wallpaper as the program does: the picture placed on a WxH screen (style 0 centre, 1 tile, "
     "2 stretch, the default), the gradient from the background colour (default 000000) or, with --pattern, the "
     "pattern tiled around it, and the named stickers of the data folder's \"Stickers\" with their texts; writes "
     "the 24-bit bitmap to --out.",
     runCompose}};

}  // namespace
}  // namespace kalvory::cli
