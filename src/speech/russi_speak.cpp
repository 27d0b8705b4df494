// russi-speak VOICE TEXT: says TEXT with the espeak-ng voice VOICE on the sound device and ends.
// libRussi's Speak() runs it for each announcement, so that the sound server's stream, its
// threads and its descriptors end with the speech instead of staying in the program until it
// exits (espeak-ng cannot be started again in a process once it has been shut down).
#include <espeak-ng/espeak_ng.h>
#include <espeak-ng/speak_lib.h>

#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  espeak_ng_InitializePath(nullptr);
  if (espeak_ng_Initialize(nullptr) != ENS_OK) return 1;
  const auto mode = static_cast<espeak_ng_OUTPUT_MODE>(ENOUTPUT_MODE_SYNCHRONOUS | ENOUTPUT_MODE_SPEAK_AUDIO);
  // No sound device: nothing is heard, nothing fails.
  if (espeak_ng_InitializeOutput(mode, 0, nullptr) != ENS_OK) return 1;
  if (espeak_ng_SetVoiceByName(argv[1]) != ENS_OK) return 1;
  const espeak_ng_STATUS spoken =
      espeak_ng_Synthesize(argv[2], std::strlen(argv[2]) + 1, 0, POS_CHARACTER, 0, espeakCHARS_UTF8, nullptr, nullptr);
  const espeak_ng_STATUS finished = espeak_ng_Synchronize();
  espeak_ng_Terminate();
  return spoken == ENS_OK && finished == ENS_OK ? 0 : 1;
}
