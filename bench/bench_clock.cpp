// The on-screen clock expands and formats its text twice a second; these are its costs.
#include <benchmark/benchmark.h>

#include <string>

#include "core/clock/media_player_info.h"
#include "core/clock/time_format.h"

namespace {

using kalvory::COleDateTime;
using kalvory::COleDateTimeSpan;

kalvory::TimeFormatSources clockSources() {
  kalvory::TimeFormatSources sources;
  sources.now = COleDateTime(2024, 3, 14, 12, 41, 29);
  sources.countdown_target = sources.now + COleDateTimeSpan(1, 2, 3, 4);
  sources.dayNoteTexts = [](const COleDateTime&) { return std::string("Birthday "); };
  return sources;
}

// A typical clock: no song, so no player is asked.
void BM_ClockText(benchmark::State& state) {
  const auto sources = clockSources();
  for (auto _ : state) {
    auto result = kalvory::formatTimeText("%H:%M:%S %d.%m.%Y", sources);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_ClockText);

void BM_ClockTextWithOwnCodes(benchmark::State& state) {
  const auto sources = clockSources();
  for (auto _ : state) {
    auto result = kalvory::formatTimeText("%H\u0081%M\u0082 %д, %#d %м %D(%E d %f h %g min)", sources);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_ClockTextWithOwnCodes);

void BM_ClockTextWithSong(benchmark::State& state) {
  kalvory::FixedMediaPlayerInfo player;
  player.status = kalvory::MediaPlayerInfo::kPlaying;
  player.lengthSeconds = 245;
  player.positionMs = 61500;
  player.title = "Artist - Song";
  auto sources = clockSources();
  sources.player = &player;
  for (auto _ : state) {
    auto result = kalvory::formatTimeText("%H:%M %V [%L/%T]", sources);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_ClockTextWithSong);

void BM_SongFromWindowTitle(benchmark::State& state) {
  for (auto _ : state) {
    auto song = kalvory::songFromWindowTitle("12. Some Artist - A Rather Long Song Title (Remastered) - Winamp");
    benchmark::DoNotOptimize(song);
  }
}
BENCHMARK(BM_SongFromWindowTitle);

}  // namespace
