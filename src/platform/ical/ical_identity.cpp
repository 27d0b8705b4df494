// The UIDs of a document's records, kept beside the document from one export to the next.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <unordered_map>
#include <unordered_set>

#include "core/common/replace_file.h"
#include "platform/ical/ical_document.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;

constexpr const char* kHeader = "kalvory calendar uids 1";

std::string freshUid() {
  static std::mt19937_64 generator = [] {
    std::random_device device;
    std::seed_seq seed{device(), device(), device(), device()};
    return std::mt19937_64(seed);
  }();
  char buffer[48];
  std::snprintf(buffer, sizeof buffer, "%016llx%016llx@kalvory", static_cast<unsigned long long>(generator()),
                static_cast<unsigned long long>(generator()));
  return buffer;
}

struct Stored {
  std::vector<std::uint64_t> fingerprints;
  std::vector<std::string> uids;
};

// A store that is missing or damaged is empty: every record then gets a new UID once.
void readStore(const std::string& file, Stored& reminders, Stored& notes) {
  std::ifstream in(file, std::ios::binary);
  std::string line;
  if (!std::getline(in, line) || line != kHeader) return;
  while (std::getline(in, line)) {
    // "R|N FINGERPRINT UID"
    if (line.size() < 20 || (line[0] != 'R' && line[0] != 'N') || line[1] != ' ' || line[18] != ' ') return;
    std::uint64_t value = 0;
    for (std::size_t i = 2; i < 18; ++i) {
      const char c = line[i];
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0) return;
      value = value << 4 | static_cast<unsigned>(digit);
    }
    Stored& target = line[0] == 'R' ? reminders : notes;
    target.fingerprints.push_back(value);
    target.uids.push_back(line.substr(19));
  }
}

bool writeStore(const std::string& file, const std::vector<std::uint64_t>& reminderPrints, const IcsUids& uids,
                const std::vector<std::uint64_t>& notePrints, std::string& problem) {
  std::ostringstream out;
  out << kHeader << '\n';
  char print[20];
  for (std::size_t i = 0; i < reminderPrints.size(); ++i) {
    std::snprintf(print, sizeof print, "%016llx", static_cast<unsigned long long>(reminderPrints[i]));
    out << "R " << print << ' ' << uids.reminders[i] << '\n';
  }
  for (std::size_t i = 0; i < notePrints.size(); ++i) {
    std::snprintf(print, sizeof print, "%016llx", static_cast<unsigned long long>(notePrints[i]));
    out << "N " << print << ' ' << uids.notes[i] << '\n';
  }
  if (auto written = replaceFileContents(file, out.str()); !written.ok()) {
    problem = written.error();
    return false;
  }
  return true;
}

template <class List>
std::vector<std::uint64_t> fingerprints(const List& list) {
  std::vector<std::uint64_t> out;
  out.reserve(list.size());
  for (const auto& record : list) out.push_back(recordFingerprint(*record));
  return out;
}

// A UID fit for a line of the store: printable, of sensible length.
bool storable(const std::string& uid) {
  if (uid.empty() || uid.size() > 255) return false;
  return std::none_of(uid.begin(), uid.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

}  // namespace

std::vector<std::string> matchRecordUids(const std::vector<std::uint64_t>& known,
                                         const std::vector<std::string>& knownUids,
                                         const std::vector<std::uint64_t>& current) {
  // Unchanged records, in order: each takes the first known record with its fingerprint after
  // the last one taken.
  std::unordered_map<std::uint64_t, std::vector<std::size_t>> places;
  for (std::size_t i = 0; i < known.size(); ++i) places[known[i]].push_back(i);
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::vector<std::size_t> match(current.size(), kNone);
  std::vector<bool> taken(known.size(), false);
  std::size_t after = 0;  // known records before this one can no longer be taken
  for (std::size_t i = 0; i < current.size(); ++i) {
    const auto at = places.find(current[i]);
    if (at == places.end()) continue;
    const auto next = std::lower_bound(at->second.begin(), at->second.end(), after);
    if (next == at->second.end()) continue;
    match[i] = *next;
    taken[*next] = true;
    after = *next + 1;
  }
  // Edited records: between two unchanged ones, the records that changed are paired in order
  // with the known ones that are gone from there.
  std::size_t knownStart = 0;
  std::size_t gapStart = 0;
  for (std::size_t i = 0; i <= current.size(); ++i) {
    if (i < current.size() && match[i] == kNone) continue;
    const std::size_t knownEnd = i < current.size() ? match[i] : known.size();
    std::size_t k = knownStart;
    for (std::size_t j = gapStart; j < i; ++j) {
      while (k < knownEnd && taken[k]) ++k;
      if (k >= knownEnd) break;
      match[j] = k;
      taken[k++] = true;
    }
    if (i < current.size()) knownStart = match[i] + 1;
    gapStart = i + 1;
  }
  std::vector<std::string> uids(current.size());
  std::unordered_set<std::string> used;
  for (std::size_t i = 0; i < current.size(); ++i) {
    if (match[i] != kNone && match[i] < knownUids.size() && storable(knownUids[match[i]]) &&
        used.insert(knownUids[match[i]]).second)
      uids[i] = knownUids[match[i]];
    else
      uids[i] = freshUid();
  }
  return uids;
}

std::string icsUidStoreFile(const std::string& dataFolder, const std::string& documentPath) {
  std::error_code error;
  fs::path absolute = fs::absolute(documentPath, error);
  const std::string key = error ? documentPath : absolute.lexically_normal().string();
  std::uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : key) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  char name[24];
  std::snprintf(name, sizeof name, "%016llx", static_cast<unsigned long long>(hash));
  return (fs::path(dataFolder) / "calendar-uids" / name).string();
}

IcsUids keepIcsUids(const CAlarmDoc& doc, const std::string& storeFile, std::string& problem) {
  Stored reminders, notes;
  readStore(storeFile, reminders, notes);
  const std::vector<std::uint64_t> reminderPrints = fingerprints(doc.alarms());
  const std::vector<std::uint64_t> notePrints = fingerprints(doc.dayInfos());
  IcsUids uids;
  uids.reminders = matchRecordUids(reminders.fingerprints, reminders.uids, reminderPrints);
  uids.notes = matchRecordUids(notes.fingerprints, notes.uids, notePrints);
  writeStore(storeFile, reminderPrints, uids, notePrints, problem);
  return uids;
}

bool rememberIcsUids(const CAlarmDoc& doc, const IcsUids& given, const std::string& storeFile, std::string& problem) {
  IcsUids uids;
  std::unordered_set<std::string> used;
  const auto pick = [&](const std::vector<std::string>& from, std::size_t i) {
    if (i < from.size() && storable(from[i]) && used.insert(from[i]).second) return from[i];
    return freshUid();
  };
  for (std::size_t i = 0; i < doc.alarms().size(); ++i) uids.reminders.push_back(pick(given.reminders, i));
  for (std::size_t i = 0; i < doc.dayInfos().size(); ++i) uids.notes.push_back(pick(given.notes, i));
  return writeStore(storeFile, fingerprints(doc.alarms()), uids, fingerprints(doc.dayInfos()), problem);
}

}  // namespace kalvory
