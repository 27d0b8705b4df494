#include "platform/caldav/sync_state.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "core/common/replace_file.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHeader = "kalvory caldav sync 1";

// Every field as "=" and its bytes, those outside printable ASCII and blanks as %XX: a line
// splits at blanks whatever a server puts into an href or an ETag.
std::string encode(const std::string& value) {
  std::string out = "=";
  for (const unsigned char c : value) {
    if (c > 0x20 && c < 0x7F && c != '%') {
      out += static_cast<char>(c);
    } else {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", c);
      out += escape;
    }
  }
  return out;
}

std::optional<std::string> decode(const std::string& text) {
  if (text.empty() || text[0] != '=') return std::nullopt;
  std::string out;
  for (std::size_t i = 1; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    const auto hex = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1; };
    const int high = hex(text[i + 1]), low = hex(text[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return out;
}

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  std::string word;
  while (in >> word) out.push_back(word);
  return out;
}

std::string hashName(const std::string& key) {
  std::uint64_t hash = 14695981039346656037ull;  // FNV-1a
  for (const unsigned char c : key) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char name[24];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  return name;
}

bool parseLine(const std::vector<std::string>& w, SyncState& state) {
  if (w.size() == 2 && (w[0] == "token" || w[0] == "ctag")) {
    const auto value = decode(w[1]);
    if (!value) return false;
    (w[0] == "token" ? state.syncToken : state.ctag) = *value;
    return true;
  }
  if (w.size() == 6 && w[0] == "item" && (w[1] == "R" || w[1] == "N") && w[2].size() == 16) {
    SyncedItem item;
    item.kind = w[1] == "R" ? SyncKind::Reminder : SyncKind::Note;
    char* end = nullptr;
    item.fingerprint = std::strtoull(w[2].c_str(), &end, 16);
    if (end != w[2].c_str() + 16) return false;
    const auto uid = decode(w[3]), href = decode(w[4]), etag = decode(w[5]);
    if (!uid || !href || !etag || uid->empty()) return false;
    item.href = *href;
    item.etag = *etag;
    state.items[*uid] = item;
    return true;
  }
  if (w.size() == 4 && w[0] == "foreign") {
    const auto uid = decode(w[1]), href = decode(w[2]), etag = decode(w[3]);
    if (!uid || !href || !etag) return false;
    state.foreign[*href] = ForeignItem{*uid, *etag};
    return true;
  }
  return false;
}

}  // namespace

std::string syncStateFile(const std::string& dataFolder, const std::string& documentPath,
                          const std::string& collectionUrl) {
  std::error_code error;
  const fs::path absolute = fs::absolute(documentPath, error);
  const std::string document = error ? documentPath : absolute.lexically_normal().string();
  return (fs::path(dataFolder) / "caldav-sync" / hashName(document + '\n' + collectionUrl)).string();
}

SyncState readSyncState(const std::string& file, std::string& problem) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  SyncState state;
  std::string line;
  if (!std::getline(in, line) || line != kHeader) {
    problem = file + ": not a sync state; every event is compared by its content once";
    return {};
  }
  while (std::getline(in, line)) {
    if (!parseLine(words(line), state)) {
      problem = file + ": damaged; every event is compared by its content once";
      return {};
    }
  }
  return state;
}

bool writeSyncState(const std::string& file, const SyncState& state, std::string& problem) {
  std::ostringstream out;
  out << kHeader << '\n';
  out << "token " << encode(state.syncToken) << '\n';
  out << "ctag " << encode(state.ctag) << '\n';
  for (const auto& [uid, item] : state.items) {
    char print[20];
    std::snprintf(print, sizeof print, "%016llx", static_cast<unsigned long long>(item.fingerprint));
    out << "item " << (item.kind == SyncKind::Reminder ? "R " : "N ") << print << ' ' << encode(uid) << ' '
        << encode(item.href) << ' ' << encode(item.etag) << '\n';
  }
  for (const auto& [href, item] : state.foreign)
    out << "foreign " << encode(item.uid) << ' ' << encode(href) << ' ' << encode(item.etag) << '\n';
  if (auto written = replaceFileContents(file, out.str()); !written.ok()) {
    problem = written.error();
    return false;
  }
  return true;
}

}  // namespace kalvory
