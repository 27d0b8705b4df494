#include "desktop/plugins/plugin_host.h"

#include <dlfcn.h>

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace kalvory {

namespace {

using NameFunction = const char* (*)();
using StartFunction = void (*)(int, unsigned long);
using VoidFunction = void (*)();

template <typename Function>
Function lookUp(void* module, const char* name) {
  return reinterpret_cast<Function>(dlsym(module, name));
}

std::string copied(const char* text) { return text != nullptr ? std::string(text) : std::string(); }

}  // namespace

PluginHost::PluginHost(std::vector<std::string> folders) : folders_(std::move(folders)) {}

bool PluginHost::matchesPattern(const std::string& fileName) {
  return fileName.size() >= 6 && fileName.compare(0, 3, "kal") == 0 &&
         fileName.compare(fileName.size() - 3, 3, ".so") == 0;
}

void PluginHost::StartPlugins(unsigned long mainWindow) {
  plugins_.clear();
  std::vector<std::filesystem::path> seen;
  for (const std::string& folder : folders_) {
    std::error_code error;
    const auto canonical = std::filesystem::weakly_canonical(folder, error);
    if (error || std::find(seen.begin(), seen.end(), canonical) != seen.end()) continue;
    seen.push_back(canonical);
    // Sorted by name: the directory's own order differs between file systems.
    std::vector<std::filesystem::path> files;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
      if (it->is_directory(error)) continue;
      if (matchesPattern(it->path().filename().string())) files.push_back(it->path());
    }
    std::sort(files.begin(), files.end());
    for (const auto& file : files) {
      CPluginRec record;
      record.file = file.filename().string();
      record.path = file.string();
      record.module = dlopen(record.path.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (record.module != nullptr) {
        const auto getName = lookUp<NameFunction>(record.module, "GetPluginName");
        const auto start = lookUp<StartFunction>(record.module, "StartPlugin");
        if (getName != nullptr) record.name = copied(getName());
        if (start != nullptr) start(1, mainWindow);
      }
      plugins_.push_back(std::move(record));
    }
  }
}

void PluginHost::StopPlugins() {
  for (CPluginRec& record : plugins_) {
    if (record.module == nullptr) continue;
    if (const auto stop = lookUp<VoidFunction>(record.module, "StopPlugin")) stop();
    dlclose(record.module);
    record.module = nullptr;
  }
  plugins_.clear();
}

std::optional<std::string> PluginHost::description(const std::string& name) const {
  for (const CPluginRec& record : plugins_) {
    if (record.module == nullptr || record.name != name) continue;
    const auto describe = lookUp<NameFunction>(record.module, "GetPluginDescription");
    if (describe == nullptr) return std::nullopt;
    return copied(describe());
  }
  return std::nullopt;
}

void PluginHost::configure(const std::string& name) const {
  for (const CPluginRec& record : plugins_) {
    if (record.module == nullptr || record.name != name) continue;
    if (const auto configurePlugin = lookUp<VoidFunction>(record.module, "ConfigurePlugin")) configurePlugin();
  }
}

}  // namespace kalvory
