// Costs of the date-time helpers that the clock runs every half second.
#include <benchmark/benchmark.h>

#include "core/common/date_time.h"
#include "core/common/strftime.h"
#include "core/common/text.h"

namespace {

using kalvory::COleDateTime;

void BM_FormatClock(benchmark::State& state) {
  const COleDateTime now(2024, 3, 14, 12, 41, 29);
  for (auto _ : state) {
    auto result = kalvory::formatDateTime("%H:%M:%S %d.%m.%Y", now);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_FormatClock);

void BM_FormatLongDate(benchmark::State& state) {
  const COleDateTime now(2024, 3, 14, 12, 41, 29);
  for (auto _ : state) {
    auto result = kalvory::formatDateTime("%#c, day %j, week %U", now);
    benchmark::DoNotOptimize(result);
  }
}
BENCHMARK(BM_FormatLongDate);

void BM_DateParts(benchmark::State& state) {
  double day = COleDateTime(2024, 3, 14, 12, 41, 29).days();
  for (auto _ : state) {
    COleDateTime::Parts parts{};
    benchmark::DoNotOptimize(COleDateTime::fromDays(day).GetParts(parts));
    benchmark::DoNotOptimize(parts);
    day += 1.0 / 86400.0;
  }
}
BENCHMARK(BM_DateParts);

void BM_DateFromParts(benchmark::State& state) {
  int second = 0;
  for (auto _ : state) {
    COleDateTime value(2024, 3, 14, 12, 41, second);
    benchmark::DoNotOptimize(value);
    second = (second + 1) % 60;
  }
}
BENCHMARK(BM_DateFromParts);

void BM_Cp1251RoundTrip(benchmark::State& state) {
  const std::string text = "Позвонить домой \u0080J в 12:30";
  for (auto _ : state) {
    auto bytes = kalvory::utf8ToCp1251(text);
    benchmark::DoNotOptimize(bytes);
    auto back = kalvory::cp1251ToUtf8(*bytes);
    benchmark::DoNotOptimize(back);
  }
}
BENCHMARK(BM_Cp1251RoundTrip);

}  // namespace
