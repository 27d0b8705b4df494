// The speech library: the words for each language, the language it picks up, and — loaded the
// way the program loads it — synthesis to memory in each language.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "speech/spoken_time.h"

namespace {

using russi::Language;
using russi::spokenTime;

TEST(SpokenTime, WordsAgreeWithTheNumbers) {
  EXPECT_EQ(spokenTime(Language::Russian, 1, 0), "1 час ровно");
  EXPECT_EQ(spokenTime(Language::Russian, 22, 21), "22 часа 20 одна минута");
  EXPECT_EQ(spokenTime(Language::Russian, 12, 2), "12 часов две минуты");
  EXPECT_EQ(spokenTime(Language::Russian, 14, 12), "14 часов 12 минут");
  EXPECT_EQ(spokenTime(Language::Russian, 0, 45), "0 часов 45 минут");
  EXPECT_EQ(spokenTime(Language::Ukrainian, 21, 0), "20 одна година рівно");
  EXPECT_EQ(spokenTime(Language::Ukrainian, 2, 32), "дві години 30 дві хвилини");
  EXPECT_EQ(spokenTime(Language::Ukrainian, 11, 11), "11 годин 11 хвилин");
  EXPECT_EQ(spokenTime(Language::English, 0, 0), "It is 12 o'clock a.m.");
  EXPECT_EQ(spokenTime(Language::English, 13, 5), "It is 1 oh 5 p.m.");
  EXPECT_EQ(spokenTime(Language::English, 12, 30), "It is 12 30 p.m.");
}

TEST(SpokenTime, LanguageFromTheProgramOrItsSettingsFile) {
  EXPECT_EQ(russi::languageFromSettingsText("[SoundSettings]\nLanguage=0\n[AppSettings]\nSkinPath=x\nLanguage = 2\n"),
            2);
  EXPECT_EQ(russi::languageFromSettingsText("[AppSettings]\nLanguage=two\n"), -1);
  EXPECT_EQ(russi::languageFromSettingsText("[ClockSettings]\nLanguage=0\n"), -1);

  const std::string folder = ::testing::TempDir() + "russi-config";
  std::system(("mkdir -p '" + folder + "/Kalvory'").c_str());
  std::ofstream(folder + "/Kalvory/Kalvory.conf") << "[AppSettings]\nLanguage=0\n";
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
  unsetenv("KALVORY_LANGUAGE");
  EXPECT_EQ(russi::programLanguage(), Language::Russian);
  setenv("KALVORY_LANGUAGE", "2", 1);  // the running program's word wins
  EXPECT_EQ(russi::programLanguage(), Language::Ukrainian);
  setenv("KALVORY_LANGUAGE", "7", 1);  // any other value is English, as for the program
  EXPECT_EQ(russi::programLanguage(), Language::English);
  unsetenv("KALVORY_LANGUAGE");
  setenv("XDG_CONFIG_HOME", (folder + "/none").c_str(), 1);
  EXPECT_EQ(russi::programLanguage(), Language::English);

  // A relative $XDG_CONFIG_HOME names no folder, as for the program: the home folder's is read.
  const std::string home = ::testing::TempDir() + "russi-home";
  std::system(("mkdir -p '" + home + "/.config/Kalvory'").c_str());
  std::ofstream(home + "/.config/Kalvory/Kalvory.conf") << "[AppSettings]\nLanguage=2\n";
  const char* previousHome = std::getenv("HOME");
  const std::string keptHome = previousHome ? previousHome : "";
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", "Kalvory-relative", 1);
  EXPECT_EQ(russi::programLanguage(), Language::Ukrainian);
  setenv("HOME", keptHome.c_str(), 1);
  unsetenv("XDG_CONFIG_HOME");
}

TEST(SpeechLibrary, SynthesisesTheTimeInEachLanguage) {
  void* library = dlopen(RUSSI_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  using Synthesize = long (*)(int, int, int);
  using Speak = void (*)();
  auto synthesize = reinterpret_cast<Synthesize>(dlsym(library, "RussiSynthesizeTime"));
  auto speak = reinterpret_cast<Speak>(dlsym(library, "Speak"));
  ASSERT_NE(synthesize, nullptr);
  ASSERT_NE(speak, nullptr);
  EXPECT_EQ(dlsym(library, "_ZN5russi10spokenTimeENS_8LanguageEii"), nullptr);  // only the C entry points

  long samples[3] = {};
  for (int language : {0, 1, 2}) {
    samples[language] = synthesize(language, 21, 42);
    EXPECT_GT(samples[language], 22050 / 2) << "language " << language;  // at least half a second of speech
  }
  EXPECT_NE(samples[0], samples[1]);
  EXPECT_EQ(synthesize(1, 24, 0), -1);

  // Speak returns at once and its thread goes on after the library is closed again.
  setenv("KALVORY_LANGUAGE", "0", 1);
  speak();
  dlclose(library);
  library = dlopen(RUSSI_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr);
  synthesize = reinterpret_cast<Synthesize>(dlsym(library, "RussiSynthesizeTime"));
  EXPECT_GT(synthesize(2, 7, 1), 0);  // after the spoken announcement, in turn
  dlclose(library);
  unsetenv("KALVORY_LANGUAGE");
}

}  // namespace
