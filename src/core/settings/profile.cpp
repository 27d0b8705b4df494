#include "core/settings/profile.h"

#include <locale.h>
#include <stdlib.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <system_error>
#include <unordered_map>
#include <utility>

#include "core/common/error_reporter.h"
#include "core/common/text.h"

namespace kalvory {

namespace {

namespace fs = std::filesystem;

// Definition files are a few kilobytes; anything this large is not one, and reading it whole
// would only cost memory.
constexpr std::uintmax_t kMaxProfileFileSize = 16u * 1024u * 1024u;

constexpr std::string_view kBlanks = " \t\n\r\v\f";

bool isBlank(char c) { return kBlanks.find(c) != std::string_view::npos; }

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

std::string replacePlaceholder(std::string_view pattern, std::string_view value) {
  std::string text(pattern);
  const auto at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, value);
  return text;
}

// The text of an element: every character data below it in document order. Walked without
// recursion, since a hostile file may nest elements very deeply.
std::string textContent(const pugi::xml_node& node) {
  std::string text;
  pugi::xml_node current = node.first_child();
  while (current && current != node) {
    const auto type = current.type();
    if (type == pugi::node_pcdata || type == pugi::node_cdata) text += current.value();
    if (current.first_child()) {
      current = current.first_child();
      continue;
    }
    while (current != node && !current.next_sibling()) current = current.parent();
    if (current != node) current = current.next_sibling();
  }
  return text;
}

// Values are escaped so that the parser gives back exactly what was stored: the markup
// characters, carriage returns (which the parser would turn into line feeds), and the first
// character of a value made only of blanks (which the parser would drop).
void appendEscapedValue(std::string& out, std::string_view value) {
  const bool allBlank = !value.empty() && value.find_first_not_of(kBlanks) == std::string_view::npos;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char c = value[i];
    if (allBlank && i == 0) {
      out += "&#" + std::to_string(static_cast<unsigned char>(c)) + ";";
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '\r':
        out += "&#13;";
        break;
      default:
        out += c;
    }
  }
}

bool isNameStart(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':' || c >= 0x80;
}

bool isNameChar(unsigned char c) { return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.'; }

// A pair of characters read as by sscanf "%x"; values above 255 (a minus sign makes them huge)
// would spill into the neighbouring components, so they count as unreadable.
bool readHexPair(const std::string& text, unsigned& component) {
  unsigned value = 0;
  if (std::sscanf(text.c_str(), "%x", &value) != 1 || value > 255) return false;
  component = value;
  return true;
}

}  // namespace

// ---------------------------------------------------------------- conversions

std::int32_t profileTextToInt(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  // The original platform's atol saturates at the ends of its 32-bit range.
  std::int64_t magnitude = 0;
  constexpr std::int64_t kLimit = static_cast<std::int64_t>(INT32_MAX) + 1;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = std::min<std::int64_t>(magnitude * 10 + (text[i] - '0'), kLimit);
  }
  if (negative) return static_cast<std::int32_t>(-magnitude);
  return static_cast<std::int32_t>(std::min<std::int64_t>(magnitude, INT32_MAX));
}

double profileTextToDouble(std::string_view text) {
  // The "C" locale, so that a decimal point is a point whatever the user's locale says.
  static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  const std::string copy(text);
  if (cLocale == static_cast<locale_t>(nullptr)) return std::strtod(copy.c_str(), nullptr);
  return strtod_l(copy.c_str(), nullptr, cLocale);
}

std::string profileIntToText(std::int32_t value) { return std::to_string(value); }

std::string profileDoubleToText(double value) {
  char buffer[400];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
  if (result.ec != std::errc()) return "0.000000";
  return std::string(buffer, result.ptr);
}

ColorRef profileTextToColor(std::string_view text, ColorRef defaultValue) {
  const std::string_view value = trimmed(text);
  if (const auto index = systemColorIndex(value)) return systemColor(*index);
  if (value.size() < 7) return defaultValue;
  const std::string_view rgb = value.substr(value.size() - 6);
  unsigned red = 128, green = 128, blue = 128;
  readHexPair(std::string(rgb.substr(0, 2)), red);
  readHexPair("0x" + std::string(rgb.substr(2, 2)), green);
  readHexPair("0x" + std::string(rgb.substr(4, 2)), blue);
  return red + green * 256 + blue * 65536;
}

bool isProfileName(std::string_view name) {
  if (name.empty() || !isNameStart(static_cast<unsigned char>(name[0]))) return false;
  return std::all_of(name.begin(), name.end(), [](char c) { return isNameChar(static_cast<unsigned char>(c)); });
}

// ---------------------------------------------------------------- store

CProfile::CProfile(ErrorReporter* reporter) : defaultFile_(executableDefaultFile()), reporter_(reporter) {}

CProfile::~CProfile() {
  if (!saveOnClose_) return;
  try {
    Save();
  } catch (...) {
    // A destructor must not throw; a store that cannot be written is simply not saved.
  }
}

std::string CProfile::executableDefaultFile() {
  std::error_code error;
  fs::path executable = fs::read_symlink("/proc/self/exe", error);
  if (error || executable.empty()) return "kalvory.xml";
  executable.replace_extension(".xml");
  return executable.string();
}

std::string CProfile::ResolvePath(std::string_view fileName) const {
  const auto splitAt = [](std::string_view path) {
    const auto slash = path.rfind('/');
    std::string_view folder = slash == std::string_view::npos ? std::string_view() : path.substr(0, slash + 1);
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    return std::pair<std::string, std::string>(folder, name);
  };
  auto [defaultFolder, defaultName] = splitAt(defaultFile_);
  auto [folder, name] = splitAt(fileName);
  if (name == "." || name == "..") {
    folder += name + "/";
    name.clear();
  }

  std::error_code error;
  if (folder.empty() || !fs::is_directory(folder, error)) folder = defaultFolder;
  if (!folder.empty() && folder.back() != '/') folder += '/';

  if (name.empty()) {
    name = defaultName;
  } else if (name[0] == '.' && name.find('.', 1) == std::string::npos) {
    // Only an extension: the default name takes it.
    const auto dot = defaultName.rfind('.');
    name = (dot == std::string::npos || dot == 0 ? defaultName : defaultName.substr(0, dot)) + name;
  }
  return folder + name;
}

std::string CProfile::resolveAndCreate(std::string_view fileName) {
  std::string resolved = ResolvePath(fileName);
  std::error_code error;
  if (!fs::exists(fs::symlink_status(resolved, error))) writeFile(resolved);
  return resolved;
}

bool CProfile::Load(std::string_view fileName) {
  path_ = resolveAndCreate(fileName);
  items_.clear();

  const auto fail = [this] {
    show(replacePlaceholder(kProfileLoadFailedMessage, path_));
    return false;
  };

  std::error_code error;
  const auto size = fs::file_size(path_, error);
  if (error || !fs::is_regular_file(path_, error) || size > kMaxProfileFileSize) return fail();
  std::ifstream in(path_, std::ios::binary);
  if (!in) return fail();
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (!in.read(bytes.data(), static_cast<std::streamsize>(bytes.size())) && !in.eof()) return fail();
  bytes.resize(static_cast<std::size_t>(in.gcount()));

  pugi::xml_document document;
  const pugi::xml_parse_result result =
      document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default, pugi::encoding_auto);
  if (result.status == pugi::status_out_of_memory || result.status == pugi::status_internal_error) {
    // The parser could not run at all, which is what this message stands for.
    show(std::string(kProfileParserMissingMessage));
    return false;
  }
  if (!result) return fail();
  // A well-formed file has one document element; the parser alone would accept several.
  std::size_t rootElements = 0;
  for (const auto& node : document.children()) {
    if (node.type() == pugi::node_element) ++rootElements;
  }
  if (rootElements != 1) return fail();

  // Character data straight inside a section has no key; it yields no entry, since saving an
  // entry without an element name would break the file.
  for (const auto& section : document.document_element().children()) {
    if (section.type() != pugi::node_element) continue;
    for (const auto& entry : section.children()) {
      if (entry.type() != pugi::node_element) continue;
      auto item = std::make_unique<CProfileItem>();
      item->section = section.name();
      item->name = entry.name();
      item->value = textContent(entry);
      items_.push_back(std::move(item));
    }
  }
  return true;
}

std::string CProfile::ComposeText() const {
  // Sections in the order of their first appearance, each with its entries in array order.
  std::vector<std::vector<const CProfileItem*>> groups;
  std::unordered_map<std::string, std::size_t> groupOfSection;
  for (const auto& item : items_) {
    const auto [it, added] = groupOfSection.try_emplace(asciiLower(item->section), groups.size());
    if (added) groups.emplace_back();
    groups[it->second].push_back(item.get());
  }

  std::string text = "<xml>\n";
  for (const auto& group : groups) {
    const std::string& section = group.front()->section;
    text += "\t<" + section + ">\n";
    for (const CProfileItem* item : group) {
      text += "\t\t<" + item->name + ">";
      appendEscapedValue(text, item->value);
      text += "</" + item->name + ">\n";
    }
    text += "\t</" + section + ">\n";
  }
  text += "</xml>\n";

  // Written as a text file on the original platform: every line feed becomes CR LF.
  std::string crlf;
  crlf.reserve(text.size() + text.size() / 8);
  for (const char c : text) {
    if (c == '\n') crlf += '\r';
    crlf += c;
  }
  return crlf;
}

bool CProfile::writeFile(const std::string& path) const {
  if (path.empty()) return false;
  const std::string text = ComposeText();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  return !out.fail();
}

bool CProfile::Save() { return writeFile(path_); }

bool CProfile::SaveAs(std::string_view fileName) {
  path_ = resolveAndCreate(fileName);
  return Save();
}

const CProfileItem* CProfile::find(std::string_view section, std::string_view key) const {
  for (const auto& item : items_) {
    if (equalsIgnoringAsciiCase(item->section, section) && equalsIgnoringAsciiCase(item->name, key)) return item.get();
  }
  return nullptr;
}

CProfileItem* CProfile::find(std::string_view section, std::string_view key) {
  return const_cast<CProfileItem*>(std::as_const(*this).find(section, key));
}

bool CProfile::append(std::string_view section, std::string_view key, std::string_view value) {
  if (!isProfileName(section) || !isProfileName(key)) return false;
  items_.push_back(
      std::make_unique<CProfileItem>(CProfileItem{std::string(value), std::string(key), std::string(section)}));
  return true;
}

std::string CProfile::GetString(std::string_view section, std::string_view key, std::string_view defaultValue) {
  if (const CProfileItem* item = find(section, key); item != nullptr && !item->value.empty()) return item->value;
  if (storeDefaults_) append(section, key, defaultValue);
  return std::string(defaultValue);
}

std::int32_t CProfile::GetInt(std::string_view section, std::string_view key, std::int32_t defaultValue) {
  if (const CProfileItem* item = find(section, key); item != nullptr && !item->value.empty()) {
    return profileTextToInt(item->value);
  }
  if (storeDefaults_) append(section, key, profileIntToText(defaultValue));
  return defaultValue;
}

double CProfile::GetDouble(std::string_view section, std::string_view key, double defaultValue) {
  if (const CProfileItem* item = find(section, key); item != nullptr && !item->value.empty()) {
    return profileTextToDouble(item->value);
  }
  if (storeDefaults_) append(section, key, profileDoubleToText(defaultValue));
  return defaultValue;
}

ColorRef CProfile::GetColor(std::string_view section, std::string_view key, ColorRef defaultValue) {
  return profileTextToColor(GetString(section, key, "-"), defaultValue);
}

bool CProfile::SetString(std::string_view section, std::string_view key, std::string_view value) {
  if (CProfileItem* item = find(section, key)) {
    item->value = value;
    return true;
  }
  if (!addOnWrite_) return true;
  return append(section, key, value);
}

bool CProfile::SetInt(std::string_view section, std::string_view key, std::int32_t value) {
  return SetString(section, key, profileIntToText(value));
}

bool CProfile::SetDouble(std::string_view section, std::string_view key, double value) {
  return SetString(section, key, profileDoubleToText(value));
}

bool CProfile::Exists(std::string_view section, std::string_view key) const { return find(section, key) != nullptr; }

void CProfile::RemoveKey(std::string_view section, std::string_view key) {
  const auto it = std::find_if(items_.begin(), items_.end(), [&](const auto& item) {
    return equalsIgnoringAsciiCase(item->section, section) && equalsIgnoringAsciiCase(item->name, key);
  });
  if (it != items_.end()) items_.erase(it);
}

void CProfile::RemoveSection(std::string_view section) {
  std::erase_if(items_, [&](const auto& item) { return equalsIgnoringAsciiCase(item->section, section); });
}

void CProfile::RemoveAll() { items_.clear(); }

std::string CProfile::DumpText(int first, int last) const {
  // An empty store has nothing to list; the index rules would otherwise point before the first entry.
  if (items_.empty()) return {};
  const int lastIndex = static_cast<int>(std::min<std::size_t>(items_.size() - 1, INT_MAX));
  if (first < 0) first = 0;
  if (first > lastIndex) first = lastIndex;
  if (last < 0 || last > lastIndex) last = lastIndex;
  std::string text;
  for (int index = first; index <= last; ++index) {
    const CProfileItem& item = *items_[static_cast<std::size_t>(index)];
    char number[16];
    std::snprintf(number, sizeof number, "%03d", index);
    text += std::string(number) + "\t" + item.section + " / " + item.name + " = '" + item.value + "'\t\n";
  }
  return text;
}

std::string CProfile::DumpSectionText(std::string_view section) const {
  std::string text = "Contents of section: " + std::string(section) + "\n" + std::string(49, '-') + "\t\n";
  for (const auto& item : items_) {
    if (equalsIgnoringAsciiCase(item->section, section)) text += item->name + " = '" + item->value + "'\t\n";
  }
  return text;
}

void CProfile::Dump(int first, int last) const { show(DumpText(first, last)); }

void CProfile::DumpSection(std::string_view section) const { show(DumpSectionText(section)); }

void CProfile::show(std::string message) const {
  lastMessage_ = std::move(message);
  if (reporter_ != nullptr) reporter_->reportError("", lastMessage_);
}

}  // namespace kalvory
