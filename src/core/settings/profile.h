#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/settings/system_colors.h"

namespace kalvory {

class ErrorReporter;

// One entry of a profile: a text value under a key in a section.
struct CProfileItem {
  std::string value;
  std::string name;
  std::string section;
};

// A small keyed store of text values grouped in sections, kept in a two-level XML file:
//
//   <xml>
//   	<Section>
//   		<Key>value</Key>
//   	</Section>
//   </xml>
//
// Skin, notifier and sticker definitions are read through it. Sections and keys are compared
// without regard to (ASCII) case; duplicates are allowed and every lookup takes the first; a value
// that is present but empty counts as missing.
class CProfile {
 public:
  // Messages (a file that cannot be loaded, dumps) go to `reporter`; without one they are only
  // kept in lastMessage().
  explicit CProfile(ErrorReporter* reporter = nullptr);
  // Saves to the store's path first when save on close is on.
  ~CProfile();
  CProfile(const CProfile&) = delete;
  CProfile& operator=(const CProfile&) = delete;

  // --- file
  // Resolves `fileName` (creating a missing file with the current items), replaces the items
  // with the file's entries. False, with the message shown, when the file cannot be parsed.
  bool Load(std::string_view fileName);
  // Writes every item to the store's path; false when the file cannot be written.
  bool Save();
  // Resolves `fileName`, makes it the store's path and saves.
  bool SaveAs(std::string_view fileName);

  // --- typed reads; a missing or empty value gives the default, which is added to the store
  // when store defaults is on
  std::string GetString(std::string_view section, std::string_view key, std::string_view defaultValue);
  std::int32_t GetInt(std::string_view section, std::string_view key, std::int32_t defaultValue);
  double GetDouble(std::string_view section, std::string_view key, double defaultValue);
  // A system colour name ("COLOR_WINDOW") or a text of at least 7 characters ending in RRGGBB.
  ColorRef GetColor(std::string_view section, std::string_view key, ColorRef defaultValue);

  // --- writes: the first matching entry changes, or (with add on write on) an entry is added.
  // They return false only for a section or key that cannot be written as an XML element name,
  // which is refused so that a saved file always loads again.
  bool SetString(std::string_view section, std::string_view key, std::string_view value);
  bool SetInt(std::string_view section, std::string_view key, std::int32_t value);
  bool SetDouble(std::string_view section, std::string_view key, double value);

  // True when an entry is present, even with an empty value.
  bool Exists(std::string_view section, std::string_view key) const;
  void RemoveKey(std::string_view section, std::string_view key);
  void RemoveSection(std::string_view section);
  void RemoveAll();

  // --- diagnostics: the texts, and the same texts shown through the reporter
  std::string DumpText(int first, int last) const;
  std::string DumpSectionText(std::string_view section) const;
  void Dump(int first, int last) const;
  void DumpSection(std::string_view section) const;

  // --- flags
  bool saveOnClose() const { return saveOnClose_; }
  void SetSaveOnClose(bool on) { saveOnClose_ = on; }
  bool storeDefaults() const { return storeDefaults_; }
  void SetStoreDefaults(bool on) { storeDefaults_ = on; }
  bool addOnWrite() const { return addOnWrite_; }
  void SetAddOnWrite(bool on) { addOnWrite_ = on; }

  const std::string& path() const { return path_; }
  const std::vector<std::unique_ptr<CProfileItem>>& items() const { return items_; }
  // The text of the last message shown (empty when none).
  const std::string& lastMessage() const { return lastMessage_; }

  // The whole file text exactly as Save writes it (line ends are CR LF).
  std::string ComposeText() const;

  // The default file, used for the parts of a name that are missing: the program's executable
  // path with its extension replaced by ".xml". Hosts and tests may set another one.
  const std::string& defaultFile() const { return defaultFile_; }
  void SetDefaultFile(std::string path) { defaultFile_ = std::move(path); }
  // The folder part and the name part of the default file, then `fileName` resolved against them.
  std::string ResolvePath(std::string_view fileName) const;

  // The program's executable path with ".xml" for its extension.
  static std::string executableDefaultFile();

 private:
  const CProfileItem* find(std::string_view section, std::string_view key) const;
  CProfileItem* find(std::string_view section, std::string_view key);
  // Appends an entry unless its names cannot be written; false when refused.
  bool append(std::string_view section, std::string_view key, std::string_view value);
  bool writeFile(const std::string& path) const;
  // Resolves and, when no file exists there, creates it with the current items.
  std::string resolveAndCreate(std::string_view fileName);
  void show(std::string message) const;

  std::vector<std::unique_ptr<CProfileItem>> items_;
  std::string path_;
  std::string defaultFile_;
  bool saveOnClose_ = true;
  bool storeDefaults_ = true;
  bool addOnWrite_ = true;
  ErrorReporter* reporter_;
  mutable std::string lastMessage_;
};

// The two messages of the store, with the file path in place of %s.
inline constexpr std::string_view kProfileParserMissingMessage = "Failed to load DOM. Missing MSXML.DLL?";
inline constexpr std::string_view kProfileLoadFailedMessage =
    "Unable to load file:  %s\n\nPlease verify that the file exists.";

// The C conversions the store uses, exposed for the tools that read values the same way.
std::int32_t profileTextToInt(std::string_view text);  // as atol, clamped to 32 bits
double profileTextToDouble(std::string_view text);     // as atof in the "C" locale
std::string profileIntToText(std::int32_t value);      // "%ld"
std::string profileDoubleToText(double value);         // "%lf"
// The colour reading of GetColor for a value that is present (already trimmed or not).
ColorRef profileTextToColor(std::string_view text, ColorRef defaultValue);

// True when `name` can be written as an XML element name (what the store can save).
bool isProfileName(std::string_view name);

}  // namespace kalvory
