#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kalvory {

class CAlarmDoc;

// A document can come from someone else, and its reminders' programs would run commands on this
// machine when they ring. The user's answer for a document is kept under a fingerprint of its
// path and its program lines together, so that a changed line asks again.

// The distinct non-empty program lines of the document's reminders, in list order.
std::vector<std::string> documentPrograms(const CAlarmDoc& document);

// SHA-256 in hex of the path and the lines.
std::string programsFingerprint(const std::string& path, const std::vector<std::string>& programs);

enum class ProgramTrust { Unknown, Allowed, Refused };

// The answers kept in the "TrustedPrograms" setting: "+FINGERPRINT" allowed, "-FINGERPRINT"
// refused, separated by ";", the newest first.
ProgramTrust lookupProgramTrust(std::string_view answers, std::string_view fingerprint);
// Puts the answer first, replacing an earlier one for the same fingerprint; the oldest answers
// go once kMaxProgramTrustAnswers are kept.
std::string rememberProgramTrust(std::string_view answers, std::string_view fingerprint, bool allowed);
inline constexpr std::size_t kMaxProgramTrustAnswers = 200;

}  // namespace kalvory
