// A stand-in speech library for the loader's tests: Speak() appends the language it was given
// to the file named by SPEECH_PROBE_OUT.
#include <cstdio>
#include <cstdlib>

extern "C" __attribute__((visibility("default"))) void Speak(void) {
  const char* out = std::getenv("SPEECH_PROBE_OUT");
  if (out == nullptr) return;
  if (std::FILE* file = std::fopen(out, "a")) {
    const char* language = std::getenv("KALVORY_LANGUAGE");
    std::fprintf(file, "spoken %s\n", language != nullptr ? language : "-");
    std::fclose(file);
  }
}
