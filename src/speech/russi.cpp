// libRussi.so: Speak() announces the current time in the program's language with espeak-ng.
// It returns at once; the speaking is done by the short-lived helper russi-speak beside the
// library, so that nothing of the sound device stays in the program after the announcement.
// The two other entry points let tests check the words and the synthesis without a sound device.
#include <dlfcn.h>
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>
#include <spawn.h>
#include <sys/wait.h>

#include <cstring>
#include <ctime>
#include <mutex>
#include <string>
#include <thread>

#include "spoken_time.h"

#define RUSSI_EXPORT extern "C" __attribute__((visibility("default")))

extern char** environ;

namespace {

// espeak-ng keeps one synthesiser per process and is not thread-safe: one speaker at a time.
std::mutex synthesiserMutex;
bool synthesiserReady = false;
long retrievedSamples = 0;

int countSamples(short*, int samples, espeak_EVENT*) {
  retrievedSamples += samples;
  return 0;  // go on
}

// Under synthesiserMutex: the synthesiser of this process, speaking to memory only.
bool prepare() {
  if (!synthesiserReady) {
    espeak_ng_InitializePath(nullptr);
    if (espeak_ng_Initialize(nullptr) != ENS_OK) return false;
    synthesiserReady = true;
  }
  if (espeak_ng_InitializeOutput(ENOUTPUT_MODE_SYNCHRONOUS, 0, nullptr) != ENS_OK) return false;
  espeak_SetSynthCallback(&countSamples);
  return true;
}

// One announcement at a time, as the synthesiser of one process spoke them.
std::mutex speakerMutex;

// russi-speak in the folder of this library.
std::string speakerPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&speakerPath), &info) == 0 || info.dli_fname == nullptr) return {};
  std::string path = info.dli_fname;
  const std::size_t slash = path.rfind('/');
  path = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  return path + "russi-speak";
}

// Under synthesiserMutex.
bool say(russi::Language language, const std::string& text) {
  if (espeak_ng_SetVoiceByName(russi::voiceName(language)) != ENS_OK) return false;
  const espeak_ng_STATUS spoken =
      espeak_ng_Synthesize(text.c_str(), text.size() + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
  // Always waited for: a failure (a sound device that cannot be opened) is otherwise kept by the
  // synthesiser and handed to the next caller's wait, speech to memory included.
  const espeak_ng_STATUS finished = espeak_ng_Synchronize();
  return spoken == ENS_OK && finished == ENS_OK;
}

void localTime(int& hour, int& minute) {
  const std::time_t now = std::time(nullptr);
  std::tm parts{};
  localtime_r(&now, &parts);
  hour = parts.tm_hour;
  minute = parts.tm_min;
}

bool validTime(int hour, int minute) { return hour >= 0 && hour < 24 && minute >= 0 && minute < 60; }

}  // namespace

RUSSI_EXPORT void Speak(void) {
  // The words are fixed now, so a slow start of the synthesiser does not change what is said.
  int hour = 0;
  int minute = 0;
  localTime(hour, minute);
  const russi::Language language = russi::programLanguage();
  std::string text = russi::spokenTime(language, hour, minute);
  std::thread([language, text = std::move(text)] {
    const std::lock_guard lock(speakerMutex);
    const std::string speaker = speakerPath();
    std::string voice = russi::voiceName(language);
    std::string words = text;
    char* arguments[] = {const_cast<char*>(speaker.c_str()), voice.data(), words.data(), nullptr};
    pid_t child = 0;
    // A helper that cannot start says nothing; the announcement is not worth a message.
    if (!speaker.empty() && posix_spawn(&child, speaker.c_str(), nullptr, nullptr, arguments, environ) == 0)
      waitpid(child, nullptr, 0);
  }).detach();
}

// Writes the words for a time (language as the "Language" setting numbers it) into `buffer`,
// NUL-terminated; returns their length in bytes, or -1 for a bad time or a too small buffer.
RUSSI_EXPORT int RussiTimeText(int language, int hour, int minute, char* buffer, int size) {
  if (!validTime(hour, minute) || buffer == nullptr || size <= 0) return -1;
  const std::string text = russi::spokenTime(russi::languageFromSetting(language), hour, minute);
  if (text.size() + 1 > static_cast<std::size_t>(size)) return -1;
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<int>(text.size());
}

// Synthesises the words for a time to memory instead of the sound device and returns the
// number of samples made, or -1 when the synthesiser failed. Waits for a Speak() in progress.
RUSSI_EXPORT long RussiSynthesizeTime(int language, int hour, int minute) {
  if (!validTime(hour, minute)) return -1;
  const russi::Language chosen = russi::languageFromSetting(language);
  const std::lock_guard lock(synthesiserMutex);
  retrievedSamples = 0;
  if (!prepare() || !say(chosen, russi::spokenTime(chosen, hour, minute))) return -1;
  return retrievedSamples;
}
