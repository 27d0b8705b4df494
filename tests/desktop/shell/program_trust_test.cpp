#include "desktop/shell/program_trust.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/alarms/action_services.h"
#include "core/model/document_file.h"
#include "desktop/common/frame_fixture.h"
#include "platform/media/test_support.h"

namespace kalvory::test {
namespace {

TEST(ProgramTrust, AnswersAreKeptPerFingerprintNewestFirstAndBounded) {
  const std::string a = programsFingerprint("/home/u/a.alr", {"mail-check"});
  EXPECT_NE(a, programsFingerprint("/home/u/b.alr", {"mail-check"}));
  EXPECT_NE(a, programsFingerprint("/home/u/a.alr", {"mail-check --all"}));
  // The parts cannot run into one another.
  EXPECT_NE(programsFingerprint("/x", {"ab", "c"}), programsFingerprint("/x", {"a", "bc"}));

  std::string answers = rememberProgramTrust("", a, false);
  EXPECT_EQ(lookupProgramTrust(answers, a), ProgramTrust::Refused);
  answers = rememberProgramTrust(answers, "b", true);
  answers = rememberProgramTrust(answers, a, true);
  EXPECT_EQ(answers, "+" + a + ";+b");
  EXPECT_EQ(lookupProgramTrust(answers, "c"), ProgramTrust::Unknown);
  // Damaged entries are skipped.
  EXPECT_EQ(lookupProgramTrust(";;x;+;+c;", "c"), ProgramTrust::Allowed);

  for (int i = 0; i < 300; ++i) answers = rememberProgramTrust(answers, std::to_string(i), true);
  EXPECT_EQ(std::count(answers.begin(), answers.end(), ';') + 1, static_cast<long>(kMaxProgramTrustAnswers));
  EXPECT_EQ(lookupProgramTrust(answers, "299"), ProgramTrust::Allowed);
  EXPECT_EQ(lookupProgramTrust(answers, a), ProgramTrust::Unknown);
}

class RecordingLauncher final : public ProgramLauncher {
 public:
  bool open(const std::string& file, const std::string& parameters) override {
    started.push_back(parameters.empty() ? file : file + " " + parameters);
    return true;
  }
  std::vector<std::string> started;
};

struct TrustFixture {
  TrustFixture() : fixture(1, backends()) {
    fixture.allowPrograms = [this](const std::string& question) {
      questions.push_back(question);
      // A reminder ringing while the question waits starts nothing yet.
      fixture.tick();
      startedWhileAsked = launcher.started.size();
      return allow;
    };
  }
  AlarmActionServices backends() {
    AlarmActionServices services;
    services.createPlayer = [](const AlarmSettings&) { return std::make_unique<NoPlayer>(); };
    services.launcher = &launcher;
    services.speech = &speech;
    return services;
  }
  // A document from elsewhere: a reminder due at the fixture's moment that starts `program`.
  std::string writeDocument(const std::string& name, const std::string& program) {
    CAlarmDoc document;
    CAlarmLine line(fixture.now, 60);
    line.text = "Backup";
    line.program = program;
    document.AddAlarm(line);
    const std::string path = (folder.path() + "/" + QString::fromStdString(name)).toStdString();
    EXPECT_TRUE(saveDocumentFile(document, path).ok());
    return path;
  }
  // Opens the file and lets its reminder ring.
  void openAndRing(const std::string& path) {
    launcher.started.clear();
    ASSERT_TRUE(fixture.documents->openDocument(path));
    fixture.now = fixture.now + COleDateTimeSpan(0, 0, 0, 1);
    fixture.tick();
  }

  QTemporaryDir folder;
  RecordingLauncher launcher;
  InertSpeech speech;
  FrameFixture fixture;
  std::vector<std::string> questions;
  std::size_t startedWhileAsked = 0;
  bool allow = false;
};

TEST(ProgramTrust, ForeignDocumentsStartTheirProgramsOnlyWhenAllowed) {
  TrustFixture trust;
  FrameFixture& fixture = trust.fixture;
  fixture.program->activate();
  const std::string path = trust.writeDocument("mail.alr", "backup-now --all");

  // Refused: the reminder rings, its program does not start, and the answer is kept.
  trust.openAndRing(path);
  ASSERT_EQ(trust.questions.size(), 1u);
  EXPECT_NE(trust.questions[0].find("backup-now --all"), std::string::npos);
  EXPECT_TRUE(fixture.program->alarms().isRinging());
  EXPECT_TRUE(trust.launcher.started.empty());
  fixture.program->alarms().turnOff();
  trust.openAndRing(path);
  EXPECT_EQ(trust.questions.size(), 1u);
  EXPECT_TRUE(trust.launcher.started.empty());

  // A changed program line asks again. The reminder that rang while the question waited starts
  // nothing, even once allowed; from then on the program starts.
  const std::string changed = trust.writeDocument("mail.alr", "backup-now --fast");
  trust.allow = true;
  trust.openAndRing(changed);
  ASSERT_EQ(trust.questions.size(), 2u);
  EXPECT_EQ(trust.startedWhileAsked, 0u);
  EXPECT_TRUE(trust.launcher.started.empty());
  fixture.program->alarms().turnOff();
  trust.openAndRing(changed);
  EXPECT_EQ(trust.questions.size(), 2u);
  EXPECT_EQ(trust.launcher.started, std::vector<std::string>{"backup-now --fast"});
}

TEST(ProgramTrust, SavedDocumentsAreTheUsersOwnUnlessAProgramWasRefused) {
  TrustFixture trust;
  FrameFixture& fixture = trust.fixture;
  fixture.program->activate();
  DocumentController& documents = *fixture.documents;

  // Refused, then saved under another name: the refusal goes along.
  trust.openAndRing(trust.writeDocument("foreign.alr", "rm -rf ~/x"));
  ASSERT_EQ(trust.questions.size(), 1u);
  fixture.program->alarms().turnOff();
  fixture.savePath = (trust.folder.path() + "/copy.alr").toStdString();
  ASSERT_TRUE(documents.saveAs());
  trust.openAndRing(fixture.savePath);
  EXPECT_EQ(trust.questions.size(), 1u);
  EXPECT_TRUE(trust.launcher.started.empty());
  fixture.program->alarms().turnOff();

  // A document of the user's own, saved here, never asks.
  documents.newDocument();
  CAlarmLine own(fixture.now + COleDateTimeSpan(0, 0, 0, 1), 60);
  own.program = "notify-send hello";
  fixture.document.AddAlarm(own);
  fixture.savePath = (trust.folder.path() + "/own.alr").toStdString();
  ASSERT_TRUE(documents.saveAs());
  trust.openAndRing(fixture.savePath);
  EXPECT_EQ(trust.questions.size(), 1u);
  EXPECT_EQ(trust.launcher.started, std::vector<std::string>{"notify-send hello"});
}

}  // namespace
}  // namespace kalvory::test
