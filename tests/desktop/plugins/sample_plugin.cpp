// A plug-in for the tests: each exported call appends a line "<call> <library file>" to the file
// named by KALVORY_PLUGIN_LOG, so a test sees which copy was called, in which order.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void logCall(const char* call, const char* detail) {
  const char* logFile = getenv("KALVORY_PLUGIN_LOG");
  if (logFile == nullptr) return;
  Dl_info info;
  const char* library = "?";
  if (dladdr(reinterpret_cast<void*>(&logCall), &info) != 0 && info.dli_fname != nullptr) {
    const char* slash = std::strrchr(info.dli_fname, '/');
    library = slash != nullptr ? slash + 1 : info.dli_fname;
  }
  FILE* out = fopen(logFile, "a");
  if (out == nullptr) return;
  fprintf(out, "%s %s%s%s\n", call, library, detail[0] != '\0' ? " " : "", detail);
  fclose(out);
}

}  // namespace

extern "C" {

const char* GetPluginName(void) {
  logCall("GetPluginName", "");
  const char* name = getenv("KALVORY_PLUGIN_NAME");
  return name != nullptr ? name : "Sample";
}

void StartPlugin(int one, unsigned long window) {
  char detail[64];
  snprintf(detail, sizeof detail, "%d %s", one, window != 0 ? "window" : "none");
  logCall("StartPlugin", detail);
}

const char* GetPluginDescription(void) {
  logCall("GetPluginDescription", "");
  return "Writes its calls to a file.";
}

void ConfigurePlugin(void) { logCall("ConfigurePlugin", ""); }

void StopPlugin(void) { logCall("StopPlugin", ""); }

}  // extern "C"
