// Reading definitions happens on the GUI thread: the notifier and sticker lists on every new or
// loaded document, the skin list when the configuration page opens, a skin when it is applied.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "core/settings/profile.h"
#include "core/skins/definitions.h"

namespace {

using namespace kalvory;

// The bundled definitions of the source tree this program was built from (CMake compiles it by
// its full path).
const std::string kBundle = std::filesystem::path(__FILE__).parent_path().parent_path() / "res";

void BM_LoadSkinFile(benchmark::State& state) {
  for (auto _ : state) {
    CProfile profile;
    profile.SetSaveOnClose(false);
    benchmark::DoNotOptimize(profile.Load(kBundle + "/Skins/skin.xml"));
    benchmark::DoNotOptimize(ReadCalendarSkin(profile));
  }
}
BENCHMARK(BM_LoadSkinFile)->Unit(benchmark::kMicrosecond);

void BM_LoadNotifiersAndStickers(benchmark::State& state) {
  for (auto _ : state) {
    benchmark::DoNotOptimize(LoadNotifiers(kBundle, "Classic", nullptr));
    benchmark::DoNotOptimize(LoadStickers(kBundle, "Note", nullptr));
  }
}
BENCHMARK(BM_LoadNotifiersAndStickers)->Unit(benchmark::kMicrosecond);

void BM_ListSkins(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(ListSkins(kBundle, "Skins/skin.xml", nullptr));
}
BENCHMARK(BM_ListSkins)->Unit(benchmark::kMicrosecond);

}  // namespace
