#include "desktop/shell/program_trust.h"

#include <QCryptographicHash>
#include <algorithm>

#include "core/model/alarm_doc.h"

namespace kalvory {

std::vector<std::string> documentPrograms(const CAlarmDoc& document) {
  std::vector<std::string> programs;
  for (const auto& line : document.alarms()) {
    if (line->program.empty()) continue;
    if (std::find(programs.begin(), programs.end(), line->program) == programs.end()) programs.push_back(line->program);
  }
  return programs;
}

std::string programsFingerprint(const std::string& path, const std::vector<std::string>& programs) {
  QCryptographicHash hash(QCryptographicHash::Sha256);
  // Each part ends with a zero byte, which no path or text holds, so parts cannot run together.
  hash.addData(QByteArrayView(path.data(), static_cast<qsizetype>(path.size() + 1)));
  for (const std::string& program : programs)
    hash.addData(QByteArrayView(program.data(), static_cast<qsizetype>(program.size() + 1)));
  return hash.result().toHex().toStdString();
}

namespace {

template <class Visit>
void forEachAnswer(std::string_view answers, Visit visit) {
  while (!answers.empty()) {
    const std::size_t end = answers.find(';');
    const std::string_view entry = answers.substr(0, end);
    if (entry.size() > 1 && (entry.front() == '+' || entry.front() == '-')) {
      if (!visit(entry.front() == '+', entry.substr(1))) return;
    }
    if (end == std::string_view::npos) return;
    answers.remove_prefix(end + 1);
  }
}

}  // namespace

ProgramTrust lookupProgramTrust(std::string_view answers, std::string_view fingerprint) {
  ProgramTrust trust = ProgramTrust::Unknown;
  forEachAnswer(answers, [&](bool allowed, std::string_view entry) {
    if (entry != fingerprint) return true;
    trust = allowed ? ProgramTrust::Allowed : ProgramTrust::Refused;
    return false;
  });
  return trust;
}

std::string rememberProgramTrust(std::string_view answers, std::string_view fingerprint, bool allowed) {
  std::string result;
  result += allowed ? '+' : '-';
  result += fingerprint;
  std::size_t kept = 1;
  forEachAnswer(answers, [&](bool earlierAllowed, std::string_view entry) {
    if (kept == kMaxProgramTrustAnswers) return false;
    if (entry != fingerprint) {
      result += ';';
      result += earlierAllowed ? '+' : '-';
      result += entry;
      ++kept;
    }
    return true;
  });
  return result;
}

}  // namespace kalvory
