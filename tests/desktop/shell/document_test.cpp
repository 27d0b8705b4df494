#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/model/document_file.h"
#include "desktop/common/frame_fixture.h"
#include "desktop/shell/document_recovery.h"

namespace kalvory::test {
namespace {

void addReminder(CAlarmDoc& document, const std::string& text) {
  CAlarmLine line(COleDateTime(2026, 5, 7, 10, 0, 0));
  line.text = text;
  document.AddAlarm(line);
}

TEST(Documents, SaveModifiedPromptAnswers) {
  QTemporaryDir folder;
  FrameFixture fixture;
  DocumentController& documents = *fixture.documents;

  // Unmodified: no question.
  EXPECT_TRUE(documents.saveModified());
  EXPECT_TRUE(fixture.lastQuestion.empty());

  addReminder(fixture.document, "one");
  fixture.answer = SaveChangesAnswer::Cancel;
  EXPECT_FALSE(documents.newDocument());
  EXPECT_EQ(fixture.lastQuestion, "Save changes to Untitled?");
  EXPECT_EQ(fixture.document.alarmCount(), 1u);

  fixture.answer = SaveChangesAnswer::Yes;
  fixture.savePath.clear();  // the save dialog cancelled: the close stops too
  EXPECT_FALSE(documents.saveModified());
  fixture.savePath = (folder.path() + "/not/there/x.alr").toStdString();  // the save fails
  EXPECT_FALSE(documents.saveModified());
  ASSERT_EQ(fixture.errors.entries.size(), 1u);
  EXPECT_NE(fixture.errors.entries[0].message.find("Cannot save"), std::string::npos);
  fixture.savePath = (folder.path() + "/saved").toStdString();  // ".alr" is added
  EXPECT_TRUE(documents.saveModified());
  EXPECT_TRUE(QFile::exists(folder.path() + "/saved.alr"));
  EXPECT_FALSE(fixture.document.IsModified());
  EXPECT_EQ(fixture.settings.recent_files.files[0], (folder.path() + "/saved.alr").toStdString());

  addReminder(fixture.document, "two");
  fixture.answer = SaveChangesAnswer::No;
  fixture.settings.app.save_document_on_exit = 0;
  EXPECT_TRUE(documents.newDocument());
  EXPECT_EQ(fixture.lastQuestion, "Save changes to saved.alr?");
  EXPECT_EQ(fixture.document.alarmCount(), 0u);
  EXPECT_TRUE(documents.path().empty());
  CAlarmDoc reread;
  EXPECT_TRUE(loadDocumentFile(reread, (folder.path() + "/saved.alr").toStdString()).ok());
  EXPECT_EQ(reread.alarmCount(), 1u);

  // With "SaveDocumentOnExit" a document with a path is saved without a question.
  ASSERT_TRUE(documents.openDocument((folder.path() + "/saved.alr").toStdString()));
  addReminder(fixture.document, "three");
  fixture.settings.app.save_document_on_exit = 1;
  fixture.lastQuestion.clear();
  EXPECT_TRUE(documents.saveModified());
  EXPECT_TRUE(fixture.lastQuestion.empty());
  EXPECT_TRUE(loadDocumentFile(reread, (folder.path() + "/saved.alr").toStdString()).ok());
  EXPECT_EQ(reread.alarmCount(), 2u);
}

TEST(Documents, OpenFailuresAndTheRecentList) {
  QTemporaryDir folder;
  FrameFixture fixture;
  DocumentController& documents = *fixture.documents;
  addReminder(fixture.document, "kept");
  fixture.document.SetModifiedFlag(false);

  QFile damaged(folder.path() + "/damaged.alr");
  ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
  damaged.write("\x01\x00\xff\xff\x0c\x00", 6);
  damaged.close();
  EXPECT_FALSE(documents.openDocument(damaged.fileName().toStdString()));
  ASSERT_EQ(fixture.errors.entries.size(), 1u);
  EXPECT_NE(fixture.errors.entries[0].message.find("damaged.alr"), std::string::npos);
  EXPECT_EQ(fixture.document.alarmCount(), 1u);  // the document is left as it was

  // A recent entry that no longer opens leaves the list.
  fixture.settings.recent_files.add((folder.path() + "/gone.alr").toStdString());
  EXPECT_FALSE(documents.openRecent(0));
  EXPECT_TRUE(fixture.settings.recent_files.files[0].empty());

  // Four entries at most, newest first.
  CAlarmDoc empty;
  for (int i = 0; i < 5; ++i) {
    const std::string path = (folder.path() + QStringLiteral("/d%1.alr").arg(i)).toStdString();
    EXPECT_TRUE(saveDocumentFile(empty, path).ok());
    ASSERT_TRUE(documents.openDocument(path));
  }
  EXPECT_EQ(fixture.settings.recent_files.files[0], (folder.path() + "/d4.alr").toStdString());
  EXPECT_EQ(fixture.settings.recent_files.files[3], (folder.path() + "/d1.alr").toStdString());
  EXPECT_TRUE(documents.openRecent(3));
  EXPECT_EQ(documents.path(), (folder.path() + "/d1.alr").toStdString());
}

TEST(Documents, OpenStartsInTheDocumentsFolderAndTheTitleMarksChanges) {
  QTemporaryDir folder;
  FrameFixture fixture;
  DocumentController& documents = *fixture.documents;
  EXPECT_EQ(documents.openFolder(), QDir::homePath().toStdString()) << "an untitled document";
  EXPECT_EQ(fixture.frame->windowTitle(), QString::fromUtf8("Untitled \u2014 Kalvory"));

  const std::string path = (folder.path() + "/sample.alr").toStdString();
  CAlarmDoc empty;
  EXPECT_TRUE(saveDocumentFile(empty, path).ok());
  ASSERT_TRUE(documents.openDocument(path));
  EXPECT_EQ(documents.openFolder(), folder.path().toStdString());
  EXPECT_EQ(fixture.frame->windowTitle(), QString::fromUtf8("sample.alr \u2014 Kalvory"));
  addReminder(fixture.document, "one");
  documents.notifyChanged();
  EXPECT_EQ(fixture.frame->windowTitle(), QString::fromUtf8("sample.alr* \u2014 Kalvory"));
  ASSERT_TRUE(documents.save());
  EXPECT_EQ(fixture.frame->windowTitle(), QString::fromUtf8("sample.alr \u2014 Kalvory"));

  // A folder that is gone since: the home folder.
  ASSERT_TRUE(folder.remove());
  EXPECT_EQ(documents.openFolder(), QDir::homePath().toStdString());
}

// One start of the program as far as its document goes: answers "Restore unsaved changes?" with
// `restore`, fails the test on any "Save changes?".
struct Session {
  explicit Session(const QString& dataFolder, bool restore = false) {
    settings = defaultSettings(SettingsEnvironment{});
    settings.app.language = 1;
    DocumentPrompts prompts;
    prompts.saveChanges = [](const std::string& question) {
      ADD_FAILURE() << "asked " << question;
      return SaveChangesAnswer::Cancel;
    };
    prompts.restoreChanges = [this, restore](const std::string& question) {
      questions.push_back(question);
      return restore;
    };
    documents =
        std::make_unique<DocumentController>(document, settings, errors, prompts, [] { return UiLanguage::English; });
    documents->setRecoveryFolder(dataFolder.toStdString());
  }
  ApplicationSettings settings;
  CAlarmDoc document;
  RecordingErrorReporter errors;
  std::vector<std::string> questions;
  std::unique_ptr<DocumentController> documents;
};

TEST(Documents, RecoveryCopyKeepsUnsavedChangesOfAnEndedSession) {
  QTemporaryDir folder;
  const QString data = folder.path() + "/data";  // made by the first copy
  const RecoveryCopy copy(data.toStdString());
  const std::string path = (folder.path() + "/plans.alr").toStdString();
  {
    CAlarmDoc stored;
    addReminder(stored, "saved");
    EXPECT_TRUE(saveDocumentFile(stored, path).ok());
  }
  {
    // Not saved on exit: the changes go to the copy and the document stays modified (the logout
    // may be cancelled and the user asked later after all).
    Session session(data);
    session.settings.app.save_document_on_exit = 0;
    ASSERT_TRUE(session.documents->loadFile(path));
    addReminder(session.document, "unsaved");
    EXPECT_TRUE(session.documents->keepUnsavedChanges(false));
    EXPECT_TRUE(session.document.IsModified());
    EXPECT_EQ(copy.originalPath(), path);
  }
  {
    // Restored, the copy stays until the changes are saved.
    Session session(data, true);
    EXPECT_TRUE(session.documents->offerRecoveryCopy());
    EXPECT_EQ(session.documents->path(), path);
    EXPECT_TRUE(copy.exists());
    ASSERT_TRUE(session.documents->save());
    EXPECT_FALSE(copy.exists());
  }
  {
    // An untitled document at a closing session: the exit that follows asks nothing.
    Session session(data);
    addReminder(session.document, "draft");
    EXPECT_TRUE(session.documents->keepUnsavedChanges(true));
    EXPECT_TRUE(session.documents->saveModified());
    EXPECT_EQ(copy.originalPath(), "");
  }
  {
    // Declined: the copy is deleted and the document stays as it was.
    Session session(data, false);
    EXPECT_FALSE(session.documents->offerRecoveryCopy());
    EXPECT_EQ(session.questions, std::vector<std::string>{"Restore unsaved changes to Untitled?"});
    EXPECT_EQ(session.document.alarmCount(), 0u);
    EXPECT_FALSE(copy.exists());
  }
  {
    // "SaveDocumentOnExit" with a file that cannot be saved: the copy keeps the changes, with
    // nothing shown (no dialog may block the end of the session).
    Session session(data);
    // The file's folder has gone away since it was opened.
    const QString gone = folder.path() + "/gone";
    QDir().mkpath(gone);
    EXPECT_TRUE(saveDocumentFile(session.document, (gone + "/moved.alr").toStdString()).ok());
    ASSERT_TRUE(session.documents->loadFile((gone + "/moved.alr").toStdString()));
    addReminder(session.document, "folder gone");
    ASSERT_TRUE(QDir(gone).removeRecursively());
    EXPECT_TRUE(session.documents->keepUnsavedChanges(false));
    EXPECT_TRUE(session.errors.entries.empty());
    ASSERT_TRUE(copy.exists());
    EXPECT_EQ(copy.originalPath(), (gone + "/moved.alr").toStdString());

    // The same failure at an ordinary close is shown, and the changes are still kept.
    copy.remove();
    session.settings.app.save_document_on_exit = 1;
    EXPECT_TRUE(session.documents->saveModified());
    EXPECT_EQ(session.errors.entries.size(), 1u);
    EXPECT_TRUE(copy.exists());
    copy.remove();
  }
  {
    // A copy that cannot be read is reported and set aside, never offered again; a note without
    // a full path counts as untitled.
    QDir().mkpath(data);
    QFile damaged(QString::fromStdString(copy.documentPath()));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x01\x00\xff\xff\x0c\x00", 6);
    damaged.close();
    QFile note(QString::fromStdString(copy.notePath()));
    ASSERT_TRUE(note.open(QIODevice::WriteOnly));
    note.write("plans.alr");
    note.close();
    Session session(data, true);
    EXPECT_FALSE(session.documents->offerRecoveryCopy());
    EXPECT_EQ(session.questions, std::vector<std::string>{"Restore unsaved changes to Untitled?"});
    ASSERT_EQ(session.errors.entries.size(), 1u);
    EXPECT_NE(session.errors.entries[0].message.find("recovery.alr"), std::string::npos);
    EXPECT_FALSE(session.document.IsModified());
    EXPECT_FALSE(copy.exists());
    EXPECT_TRUE(QFile::exists(data + "/recovery-damaged.alr"));
    EXPECT_FALSE(session.documents->offerRecoveryCopy());
    EXPECT_EQ(session.questions.size(), 1u);
  }
}

}  // namespace
}  // namespace kalvory::test
