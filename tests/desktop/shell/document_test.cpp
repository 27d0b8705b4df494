#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

#include "core/model/document_file.h"
#include "desktop/common/frame_fixture.h"

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
  loadDocumentFile(reread, (folder.path() + "/saved.alr").toStdString());
  EXPECT_EQ(reread.alarmCount(), 1u);

  // With "SaveDocumentOnExit" a document with a path is saved without a question.
  ASSERT_TRUE(documents.openDocument((folder.path() + "/saved.alr").toStdString()));
  addReminder(fixture.document, "three");
  fixture.settings.app.save_document_on_exit = 1;
  fixture.lastQuestion.clear();
  EXPECT_TRUE(documents.saveModified());
  EXPECT_TRUE(fixture.lastQuestion.empty());
  loadDocumentFile(reread, (folder.path() + "/saved.alr").toStdString());
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
    saveDocumentFile(empty, path);
    ASSERT_TRUE(documents.openDocument(path));
  }
  EXPECT_EQ(fixture.settings.recent_files.files[0], (folder.path() + "/d4.alr").toStdString());
  EXPECT_EQ(fixture.settings.recent_files.files[3], (folder.path() + "/d1.alr").toStdString());
  EXPECT_TRUE(documents.openRecent(3));
  EXPECT_EQ(documents.path(), (folder.path() + "/d1.alr").toStdString());
}

}  // namespace
}  // namespace kalvory::test
