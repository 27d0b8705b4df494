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
  saveDocumentFile(doc, file);
  EXPECT_FALSE(doc.IsModified());
  EXPECT_EQ(contents(file), storeDocumentBytes(doc));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(entries(), 1u) << "no temporary file is left behind";

  CAlarmDoc loaded;
  loadDocumentFile(loaded, file);
  ASSERT_EQ(loaded.alarmCount(), 1u);
  EXPECT_EQ(loaded.GetAlarmAt(0)->text, "Tea");
}

TEST_F(DocumentFileTest, AFailedSaveLeavesWhatWasThere) {
  CAlarmDoc doc = sampleDocument();
  // The target is a folder: the rename fails, the folder and its contents stay.
  const std::string folder = path("taken");
  fs::create_directory(folder);
  write(folder + "/inside", "x");
  try {
    saveDocumentFile(doc, folder);
    FAIL();
  } catch (const DocumentFileError& error) {
    EXPECT_EQ(error.path(), folder);
    EXPECT_FALSE(error.offset().has_value());
    EXPECT_EQ(std::string(error.what()).rfind(folder + ": cannot save: ", 0), 0u) << error.what();
  }
  EXPECT_TRUE(doc.IsModified());
  EXPECT_EQ(contents(folder + "/inside"), "x");
  EXPECT_EQ(entries(), 1u);

  EXPECT_THROW(saveDocumentFile(doc, path("missing/plan.alr")), DocumentFileError);

  // A schema clash is refused before anything is written.
  const std::string file = path("plan.alr");
  write(file, "keep");
  EXPECT_THROW(saveDocumentFile(doc, file, {-1, 12}), DocumentFileError);
  EXPECT_EQ(contents(file), "keep");
}

TEST_F(DocumentFileTest, SavingThroughALinkReplacesTheFileItNames) {
  CAlarmDoc doc = sampleDocument();
  const std::string real = path("real.alr");
  const std::string link = path("link.alr");
  write(real, "old");
  fs::create_symlink(real, link);
  saveDocumentFile(doc, link);
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
  try {
    loadDocumentFile(doc, damaged);
    FAIL();
  } catch (const DocumentFileError& error) {
    EXPECT_EQ(std::string(error.what()), damaged + ": offset 2: unknown class \"CFoo\"");
    EXPECT_EQ(error.offset(), 2u);
  }

  try {
    loadDocumentFile(doc, path("absent.alr"));
    FAIL();
  } catch (const DocumentFileError& error) {
    EXPECT_EQ(std::string(error.what()), path("absent.alr") + ": cannot open: No such file or directory");
  }
  EXPECT_THROW(loadDocumentFile(doc, folder_.string()), DocumentFileError);
  EXPECT_EQ(storeDocumentBytes(doc), before);
}

}  // namespace
}  // namespace kalvory
