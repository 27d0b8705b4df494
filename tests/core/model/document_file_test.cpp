#include "core/model/document_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kalvory {
namespace {

namespace fs = std::filesystem;

class DocumentFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::path(::testing::TempDir()) / "kalvory-model-XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string path(const std::string& name) const { return (folder_ / name).string(); }
  static std::string contents(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  static void write(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }
  std::size_t entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder_), {})); }

  fs::path folder_;
};

CAlarmDoc sampleDocument() {
  CAlarmDoc doc;
  CAlarmLine line(COleDateTime(2026, 5, 13, 10, 0, 0), 60);
  line.text = "Tea";
  doc.AddAlarm(line);
  return doc;
}

TEST_F(DocumentFileTest, SaveReplacesTheFileWholeAndKeepsItsPermissions) {
  CAlarmDoc doc = sampleDocument();
  const std::string file = path("plan.alr");
  write(file, "old contents");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_TRUE(saveDocumentFile(doc, file).ok());
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(contents(file), storeDocumentBytes(doc));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(entries(), 1u) << "no temporary file is left behind";

  CAlarmDoc loaded;
  ASSERT_TRUE(loadDocumentFile(loaded, file).ok());
  ASSERT_EQ(loaded.alarmCount(), 1u);
  EXPECT_EQ(loaded.GetAlarmAt(0)->text, "Tea");
}

TEST_F(DocumentFileTest, AFailedSaveLeavesWhatWasThere) {
  CAlarmDoc doc = sampleDocument();
  // The target is a folder: the rename fails, the folder and its contents stay.
  const std::string folder = path("taken");
  fs::create_directory(folder);
  write(folder + "/inside", "x");
  const DocumentFileResult saved = saveDocumentFile(doc, folder);
  ASSERT_FALSE(saved.ok());
  EXPECT_EQ(saved.error().rfind(folder + ": cannot save: ", 0), 0u) << saved.error();
  EXPECT_EQ(saved.reason().rfind("cannot save: ", 0), 0u) << saved.reason();
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(contents(folder + "/inside"), "x");
  EXPECT_EQ(entries(), 1u);

  EXPECT_FALSE(saveDocumentFile(doc, path("missing/plan.alr")).ok());

  // A schema clash is refused before anything is written.
  const std::string file = path("plan.alr");
  write(file, "keep");
  EXPECT_FALSE(saveDocumentFile(doc, file, {-1, 12}).ok());
  EXPECT_EQ(contents(file), "keep");
}

TEST_F(DocumentFileTest, SavingThroughALinkReplacesTheFileItNames) {
  CAlarmDoc doc = sampleDocument();
  const std::string real = path("real.alr");
  const std::string link = path("link.alr");
  write(real, "old");
  fs::create_symlink(real, link);
  ASSERT_TRUE(saveDocumentFile(doc, link).ok());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(contents(real), storeDocumentBytes(doc));
}

TEST_F(DocumentFileTest, LoadErrorsNameTheFileTheOffsetAndTheReasonAndChangeNothing) {
  CAlarmDoc doc = sampleDocument();
  const std::string before = storeDocumentBytes(doc);

  const std::string damaged = path("damaged.alr");
  write(damaged, std::string("\x01\x00\xFF\xFF\x0C\x00\x04\x00"
                             "CFoo",
                             12));
  const DocumentFileResult damagedResult = loadDocumentFile(doc, damaged);
  EXPECT_EQ(damagedResult.error(), damaged + ": offset 2: unknown class \"CFoo\"");
  // A window that names the file itself shows the reason alone.
  EXPECT_EQ(damagedResult.reason(), "unknown class \"CFoo\"");

  EXPECT_EQ(loadDocumentFile(doc, path("absent.alr")).error(),
            path("absent.alr") + ": cannot open: No such file or directory");
  EXPECT_EQ(loadDocumentFile(doc, folder_.string()).error(), folder_.string() + ": cannot open: is a folder");
  EXPECT_EQ(storeDocumentBytes(doc), before);
}

}  // namespace
}  // namespace kalvory
