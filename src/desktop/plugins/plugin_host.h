#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kalvory {

// One library file found in a plug-in folder; kept even when the library did not load.
struct CPluginRec {
  std::string name;        // what "GetPluginName" returned; empty when not loaded or not exported
  std::string file;        // the file name without its folder
  std::string path;        // the full path
  void* module = nullptr;  // the loaded library, or null when loading failed
  bool loaded() const { return module != nullptr; }
};

// The plug-in libraries "kal*.so": loaded and started once at start-up, stopped and unloaded by
// the exit command. The contract is five optional C exports looked up by name:
//   const char* GetPluginName(void);            right after loading, copied at once
//   void StartPlugin(int one, unsigned long w); right after, with 1 and the main window's id
//   const char* GetPluginDescription(void);     when the configuration page selects the plug-in
//   void ConfigurePlugin(void);                 on "Configure"
//   void StopPlugin(void);                      at exit, before the library is unloaded
class PluginHost {
 public:
  // The folders searched, in order; a missing folder gives nothing.
  explicit PluginHost(std::vector<std::string> folders);
  // Libraries still loaded when the host goes (the program ended other than by Exit) get no
  // "StopPlugin" and are not unloaded: their code may still run threads of their own.
  ~PluginHost() = default;
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Empties the list, then loads every "kal*.so" of the folders (by name within a folder) and
  // starts it with the main window `mainWindow`.
  void StartPlugins(unsigned long mainWindow);
  // "StopPlugin" and unload for every loaded library in list order; the list is then empty.
  void StopPlugins();

  const std::vector<CPluginRec>& plugins() const { return plugins_; }
  // "GetPluginDescription" of the first loaded record named `name`; nullopt when there is none
  // or it lacks the export.
  std::optional<std::string> description(const std::string& name) const;
  // "ConfigurePlugin" of every loaded record named `name`.
  void configure(const std::string& name) const;

  // The file-name rule: "kal" at the start and ".so" at the end.
  static bool matchesPattern(const std::string& fileName);

 private:
  std::vector<std::string> folders_;
  std::vector<CPluginRec> plugins_;
};

}  // namespace kalvory
