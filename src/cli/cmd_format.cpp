// kalvory-cli format: the clock's format language applied to a moment, as the on-screen clock shows it.
#include <cstdio>
#include <fstream>
#include <limits>
#include <nlohmann/json.hpp>
#include <ostream>
#include <sstream>
#include <string>

#include "cli/command.h"
#include "core/clock/media_player_info.h"
#include "core/clock/time_format.h"
#include "core/common/date_time.h"
#include "core/common/result.h"
#include "core/model/alarm_doc.h"
#include "core/model/document_file.h"

namespace kalvory::cli {
namespace {

// A player description is a few lines; anything much larger is not one.
constexpr std::streamsize kMaxPlayerFileSize = 64 * 1024;

// Reads a stand-in player from {"status": 1, "length_s": 245, "position_ms": 61500,
// "window_title": "7. Artist - Song - Winamp"}; every field but "status" may be left out.
Result<FixedMediaPlayerInfo> readPlayer(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return Failure{path + ": cannot open the file"};
  std::string content(static_cast<std::size_t>(kMaxPlayerFileSize) + 1, '\0');
  file.read(content.data(), kMaxPlayerFileSize + 1);
  if (file.gcount() > kMaxPlayerFileSize) return Failure{path + ": the file is too large for a player description"};
  content.resize(static_cast<std::size_t>(file.gcount()));

  const nlohmann::json json = nlohmann::json::parse(content, nullptr, false);
  if (json.is_discarded() || !json.is_object()) return Failure{path + ": not a JSON object"};
  // A missing optional field keeps `value` as it is.
  const auto readInt = [&](const char* key, bool required, int& value) -> Result<void> {
    const auto it = json.find(key);
    if (it == json.end()) {
      if (required) return Failure{path + ": \"" + key + "\" is missing"};
      return {};
    }
    if (!it->is_number_integer() || it->get<std::int64_t>() < std::numeric_limits<int>::min() ||
        it->get<std::int64_t>() > std::numeric_limits<int>::max()) {
      return Failure{path + ": \"" + key + "\" must be a 32-bit whole number"};
    }
    value = static_cast<int>(it->get<std::int64_t>());
    return {};
  };
  FixedMediaPlayerInfo player;
  int status = 0;
  for (const Result<void>& read : {readInt("status", true, status), readInt("length_s", false, player.lengthSeconds),
                                   readInt("position_ms", false, player.positionMs)}) {
    if (!read.ok()) return Failure{read.error()};
  }
  player.status = status;
  if (const auto it = json.find("window_title"); it != json.end()) {
    if (!it->is_string()) return Failure{path + ": \"window_title\" must be a string"};
    player.title = songFromWindowTitle(it->get<std::string>());
  }
  return player;
}

int runFormat(CommandContext& context) {
  Arguments arguments(context.args);
  std::string documentPath, nowText, playerPath;
  const bool haveDocument = arguments.takeOption("--doc", documentPath);
  const bool haveNow = arguments.takeOption("--now", nowText);
  const bool havePlayer = arguments.takeOption("--player", playerPath);
  const std::string format = arguments.positionals(1, 1).front();

  COleDateTime now = systemNow();
  if (haveNow) {
    const auto parsed = parseLocalTime(nowText);
    if (!parsed) return context.refuse("--now must be a valid YYYY-MM-DD HH:MM:SS: " + nowText);
    now = *parsed;
  }

  FixedMediaPlayerInfo player;
  if (havePlayer) {
    Result<FixedMediaPlayerInfo> read = readPlayer(playerPath);
    if (!read.ok()) return context.refuse(read.error());
    player = std::move(read).value();
  }

  CAlarmDoc document;
  if (haveDocument) {
    if (const auto loaded = loadDocumentFile(document, documentPath); !loaded.ok())
      return context.refuse(loaded.error());
  }

  const Result<std::string> result =
      formatTimeText(format, timeFormatSources(document, now, havePlayer ? &player : nullptr));
  if (!result.ok()) return context.refuse(result.error());
  context.out << result.value() << "\n";
  return kExitOk;
}

const Registration registration{
    {"format", "format FORMAT [--doc FILE] [--now \"YYYY-MM-DD HH:MM:SS\"] [--player JSON_FILE]",
     "Prints the clock text for FORMAT: the program's own codes expanded (countdown and today's notes from the "
     "document, the song from the player described in JSON), then the time formatted with strftime codes.",
     runFormat}};

}  // namespace
}  // namespace kalvory::cli
