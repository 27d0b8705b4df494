#include "core/settings/data_folder.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

#include "core/common/error_reporter.h"

#ifndef KALVORY_SOURCE_RES_DIR
#define KALVORY_SOURCE_RES_DIR ""
#endif
#ifndef KALVORY_INSTALL_DATA_DIR
#define KALVORY_INSTALL_DATA_DIR ""
#endif

namespace kalvory {

namespace {

namespace fs = std::filesystem;

std::string environmentValue(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? std::string(value) : std::string();
}

bool holdsDefinitions(const fs::path& folder) {
  std::error_code error;
  for (const auto name : kBundledFolderNames) {
    if (fs::is_directory(folder / name, error)) return true;
  }
  return false;
}

std::set<std::string> readSeedList(const fs::path& file) {
  std::set<std::string> offered;
  std::ifstream in(file);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) offered.insert(line);
  }
  return offered;
}

std::string describe(const std::error_code& error) { return error.message(); }

}  // namespace

DataFolderEnvironment DataFolderEnvironment::fromProcess() {
  DataFolderEnvironment environment;
  environment.kalvoryHome = environmentValue("KALVORY_HOME");
  environment.xdgDataHome = environmentValue("XDG_DATA_HOME");
  environment.home = environmentValue("HOME");
  if (environment.home.empty()) {
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir != nullptr) {
      environment.home = entry->pw_dir;
    }
  }
  return environment;
}

std::string dataFolderPath(const DataFolderEnvironment& environment) {
  if (!environment.kalvoryHome.empty()) return environment.kalvoryHome;
  if (!environment.xdgDataHome.empty() && environment.xdgDataHome.front() == '/') {
    return (fs::path(environment.xdgDataHome) / "kalvory").string();
  }
  return (fs::path(environment.home) / ".local" / "share" / "kalvory").string();
}

std::string dataFolderPath() { return dataFolderPath(DataFolderEnvironment::fromProcess()); }

std::vector<std::string> bundledDataFolderCandidates() {
  std::vector<std::string> candidates;
  std::error_code error;
  const fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (!error && !executable.empty()) {
    candidates.push_back((executable.parent_path().parent_path() / "share" / "kalvory").string());
  }
  if (*KALVORY_SOURCE_RES_DIR != '\0') candidates.emplace_back(KALVORY_SOURCE_RES_DIR);
  if (*KALVORY_INSTALL_DATA_DIR != '\0') candidates.emplace_back(KALVORY_INSTALL_DATA_DIR);
  return candidates;
}

std::string bundledDataFolder() {
  for (const auto& candidate : bundledDataFolderCandidates()) {
    if (holdsDefinitions(candidate)) return candidate;
  }
  return {};
}

DataFolderSetup prepareDataFolder(const std::string& dataFolder, const std::string& bundledFolder) {
  DataFolderSetup setup;
  setup.path = dataFolder;
  const fs::path folder(dataFolder);
  std::error_code error;
  if (!fs::is_directory(folder, error)) {
    fs::create_directories(folder, error);
    if (error) {
      setup.problems.push_back("Cannot create the data folder " + dataFolder + ": " + describe(error));
      return setup;
    }
    setup.created = true;
  }
  if (bundledFolder.empty()) return setup;

  const fs::path seedListPath = folder / kSeedListName;
  std::set<std::string> offered = readSeedList(seedListPath);
  std::vector<std::string> newlyOffered;
  for (const auto name : kBundledFolderNames) {
    const fs::path source = fs::path(bundledFolder) / name;
    if (!fs::is_directory(source, error)) continue;
    fs::recursive_directory_iterator it(source, fs::directory_options::skip_permission_denied, error);
    if (error) {
      setup.problems.push_back("Cannot read " + source.string() + ": " + describe(error));
      continue;
    }
    for (const fs::recursive_directory_iterator end; it != end; it.increment(error)) {
      if (error) {
        setup.problems.push_back("Cannot read " + source.string() + ": " + describe(error));
        break;
      }
      if (!it->is_regular_file(error)) continue;
      const std::string relative = (fs::path(name) / it->path().lexically_relative(source)).generic_string();
      if (!offered.insert(relative).second) continue;
      newlyOffered.push_back(relative);
      const fs::path target = folder / relative;
      if (fs::exists(fs::symlink_status(target, error))) continue;  // the user's file stays as it is
      fs::create_directories(target.parent_path(), error);
      if (!error) fs::copy_file(it->path(), target, fs::copy_options::skip_existing, error);
      if (error) {
        setup.problems.push_back("Cannot copy " + it->path().string() + " to " + target.string() + ": " +
                                 describe(error));
        newlyOffered.pop_back();  // offered again next time
        continue;
      }
      setup.copied.push_back(relative);
    }
  }

  if (!newlyOffered.empty()) {
    std::ofstream out(seedListPath, std::ios::app);
    for (const auto& relative : newlyOffered) out << relative << '\n';
    if (!out) setup.problems.push_back("Cannot write " + seedListPath.string());
  }
  return setup;
}

std::string prepareDataFolder(ErrorReporter& reporter) {
  const DataFolderSetup setup = prepareDataFolder(dataFolderPath(), bundledDataFolder());
  for (const auto& problem : setup.problems) reporter.reportError("", problem);
  return setup.path;
}

}  // namespace kalvory
