#include "core/settings/profile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <sstream>

#include "core/common/error_reporter.h"

namespace kalvory {
namespace {

namespace fs = std::filesystem;

class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::path(::testing::TempDir()) / ("profile_test_" + std::to_string(::getpid()) + "_" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }

  std::string write(const std::string& name, const std::string& text) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  static std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  // A store that never writes back and resolves names against the test folder.
  std::unique_ptr<CProfile> reader() {
    auto profile = std::make_unique<CProfile>(&reporter_);
    profile->SetSaveOnClose(false);
    profile->SetDefaultFile((folder_ / "prog.xml").string());
    return profile;
  }

  fs::path folder_;
  RecordingErrorReporter reporter_;
};

TEST_F(ProfileTest, LookupsIgnoreCaseTakeTheFirstAndTreatEmptyAsMissing) {
  const auto path = write("a.xml",
                          "<root>\n"
                          "  <general>\n"
                          "    <Name>first</Name>\n"
                          "    <NAME>second</NAME>\n"
                          "    <Empty></Empty>\n"
                          "    <Nested attr=\"x\">a<b>b<c>c</c></b><![CDATA[<d>]]></Nested>\n"
                          "  </general>\n"
                          "  <Other/>\n"
                          "  <GENERAL><Late>yes</Late></GENERAL>\n"
                          "</root>\n");
  auto profile = reader();
  ASSERT_TRUE(profile->Load(path));
  EXPECT_TRUE(reporter_.entries.empty());
  ASSERT_EQ(profile->items().size(), 5u);
  EXPECT_EQ(profile->items()[0]->section, "general");

  profile->SetStoreDefaults(false);
  EXPECT_EQ(profile->GetString("General", "name", "x"), "first");
  EXPECT_EQ(profile->GetString("GENERAL", "Late", "x"), "yes");
  EXPECT_EQ(profile->GetString("General", "Nested", "x"), "abc<d>");
  EXPECT_EQ(profile->GetString("General", "Empty", "fallback"), "fallback");
  EXPECT_TRUE(profile->Exists("general", "empty"));
  EXPECT_FALSE(profile->Exists("general", "absent"));
  EXPECT_EQ(profile->items().size(), 5u);

  // With store defaults on, a missing or empty value leaves its default behind.
  profile->SetStoreDefaults(true);
  EXPECT_EQ(profile->GetString("General", "Empty", "fallback"), "fallback");
  EXPECT_EQ(profile->GetInt("Text", "FontSize", 12), 12);
  EXPECT_EQ(profile->GetDouble("Text", "Scale", 1.5), 1.5);
  ASSERT_EQ(profile->items().size(), 8u);
  EXPECT_EQ(profile->items()[5]->value, "fallback");
  EXPECT_EQ(profile->items()[6]->value, "12");
  EXPECT_EQ(profile->items()[7]->value, "1.500000");
  // A present value adds nothing.
  EXPECT_EQ(profile->GetString("general", "name", "x"), "first");
  EXPECT_EQ(profile->items().size(), 8u);
}

TEST_F(ProfileTest, NumbersConvertAsTheCLibraryDoes) {
  auto profile = reader();
  profile->SetStoreDefaults(false);
  const std::pair<const char*, std::int32_t> ints[] = {
      {"  -42abc", -42}, {"+7", 7}, {"abc", 0}, {"99999999999", INT32_MAX}, {"-99999999999", INT32_MIN}, {"0x1F", 0}};
  for (const auto& [text, expected] : ints) {
    profile->SetString("N", "v", text);
    EXPECT_EQ(profile->GetInt("N", "v", 5), expected) << text;
  }
  const std::pair<const char*, double> doubles[] = {{" 1.5e3x", 1500.0}, {"-.25", -0.25}, {"junk", 0.0}};
  for (const auto& [text, expected] : doubles) {
    profile->SetString("N", "d", text);
    EXPECT_EQ(profile->GetDouble("N", "d", 5.0), expected) << text;
  }
  profile->SetInt("N", "i", -7);
  profile->SetDouble("N", "d", 1.5);
  profile->SetDouble("N", "e", -1234567.0000004);
  EXPECT_EQ(profile->GetString("N", "i", ""), "-7");
  EXPECT_EQ(profile->GetString("N", "d", ""), "1.500000");
  EXPECT_EQ(profile->GetString("N", "e", ""), "-1234567.000000");
}

class FakeColors final : public SystemColorProvider {
 public:
  ColorRef systemColor(int index) const override { return 0x10000u + static_cast<ColorRef>(index); }
};

TEST_F(ProfileTest, ColoursAreSystemNamesOrEndInRRGGBB) {
  FakeColors fake;
  setSystemColorProvider(&fake);
  auto profile = reader();
  const ColorRef fallback = 0x123456;
  const std::pair<const char*, ColorRef> cases[] = {
      {"COLOR_BTNFACE", 0x10000u + 15},
      {"COLOR_3DFACE", 0x10000u + 15},
      {" COLOR_WINDOW ", 0x10000u + 5},
      {"COLOR_MENUBAR", 0x10000u + 30},
      {"COLOR_SCROLLBAR", 0x10000u + 0},
      {"color_window", makeColorRef(128, 0, 0)},  // not a name; "wi" is no hexadecimal pair
      {"#00FF00", makeColorRef(0, 255, 0)},
      {"00FF00", fallback},  // six characters are too short
      {"#FF8000", makeColorRef(255, 128, 0)},
      {"$FF8000", makeColorRef(255, 128, 0)},
      {"any text 0a0B0c", makeColorRef(10, 11, 12)},
      {"  #0000FF\t", makeColorRef(0, 0, 255)},
      {"#-F0000", makeColorRef(128, 0, 0)},  // a signed red pair would spill into green
      {"#GGGGGG", makeColorRef(128, 0, 0)},  // the green and blue pairs read "0x" as zero
  };
  for (const auto& [text, expected] : cases) {
    profile->SetString("C", "c", text);
    EXPECT_EQ(profile->GetColor("C", "c", fallback), expected) << text;
  }
  // A missing key reads the default through the "-" placeholder, which is stored.
  EXPECT_EQ(profile->GetColor("C", "missing", fallback), fallback);
  EXPECT_EQ(profile->GetString("C", "missing", ""), "-");
  setSystemColorProvider(nullptr);
  EXPECT_EQ(systemColor(15), makeColorRef(212, 208, 200));
  EXPECT_EQ(systemColor(99), 0u);

  // Every name is known, in the order the table tries them.
  EXPECT_EQ(kSystemColorNames.size(), 36u);
  for (const auto& entry : kSystemColorNames) EXPECT_EQ(systemColorIndex(entry.name), entry.index);
  EXPECT_EQ(kSystemColorNames.front().name, "COLOR_DESKTOP");
  EXPECT_EQ(kSystemColorNames.back().name, "COLOR_MENUBAR");
}

TEST_F(ProfileTest, SaveGroupsSectionsWithTabsAndCrLf) {
  auto profile = reader();
  profile->SetString("A", "k1", "1");
  profile->SetString("B", "k2", "2");
  profile->SetString("a", "k3", "3");
  EXPECT_EQ(profile->ComposeText(),
            "<xml>\r\n\t<A>\r\n\t\t<k1>1</k1>\r\n\t\t<k3>3</k3>\r\n\t</A>\r\n"
            "\t<B>\r\n\t\t<k2>2</k2>\r\n\t</B>\r\n</xml>\r\n");
  const std::string path = (folder_ / "saved.xml").string();
  ASSERT_TRUE(profile->SaveAs(path));
  EXPECT_EQ(profile->path(), path);
  EXPECT_EQ(read(path), profile->ComposeText());

  CProfile empty;
  empty.SetSaveOnClose(false);
  EXPECT_EQ(empty.ComposeText(), "<xml>\r\n</xml>\r\n");
}

TEST_F(ProfileTest, EscapedValuesLoadBackUnchanged) {
  const std::string values[] = {
      "<a & b>", " ", "\t\n", "line\r\nbreak\rend", "  lead and trail  ", "&amp;", "]]>", "\xd0\x9f\xd1\x80\xd0\xb8"};
  auto profile = reader();
  for (std::size_t i = 0; i < std::size(values); ++i) profile->SetString("S", "k" + std::to_string(i), values[i]);
  const std::string path = (folder_ / "escaped.xml").string();
  ASSERT_TRUE(profile->SaveAs(path));

  auto loaded = reader();
  ASSERT_TRUE(loaded->Load(path));
  ASSERT_EQ(loaded->items().size(), std::size(values));
  for (std::size_t i = 0; i < std::size(values); ++i) EXPECT_EQ(loaded->items()[i]->value, values[i]) << i;
}

TEST_F(ProfileTest, FlagsGovernWritesAndSavingOnClose) {
  auto profile = reader();
  profile->SetAddOnWrite(false);
  EXPECT_TRUE(profile->SetString("S", "k", "v"));
  EXPECT_FALSE(profile->Exists("S", "k"));
  profile->SetAddOnWrite(true);
  profile->SetString("S", "k", "v");
  profile->SetAddOnWrite(false);
  profile->SetString("s", "K", "changed");
  EXPECT_EQ(profile->GetString("S", "k", ""), "changed");

  // Names that are no element names would make an unreadable file, so they are refused.
  profile->SetAddOnWrite(true);
  EXPECT_FALSE(profile->SetString("S", "two words", "v"));
  EXPECT_FALSE(profile->SetString("", "k", "v"));
  EXPECT_FALSE(profile->SetString("S", "1st", "v"));
  EXPECT_EQ(profile->items().size(), 1u);

  const std::string path = (folder_ / "closing.xml").string();
  {
    CProfile saving;
    saving.SetDefaultFile((folder_ / "prog.xml").string());
    ASSERT_TRUE(saving.Load(path));  // a missing file is created at once
    saving.SetString("General", "Name", "kept");
  }
  EXPECT_NE(read(path).find("<Name>kept</Name>"), std::string::npos);
  {
    auto notSaving = reader();
    ASSERT_TRUE(notSaving->Load(path));
    notSaving->SetString("General", "Name", "dropped");
  }
  EXPECT_NE(read(path).find("<Name>kept</Name>"), std::string::npos);

  profile->SetString("S", "x", "1");
  profile->SetString("T", "k", "2");
  profile->SetString("S", "k", "3");
  profile->RemoveKey("s", "K");
  EXPECT_FALSE(profile->Exists("S", "k"));
  EXPECT_TRUE(profile->Exists("S", "x"));
  profile->RemoveSection("s");
  ASSERT_EQ(profile->items().size(), 1u);
  EXPECT_EQ(profile->items()[0]->section, "T");
  profile->RemoveAll();
  EXPECT_TRUE(profile->items().empty());
}

TEST_F(ProfileTest, NamesResolveAgainstTheDefaultFile) {
  auto profile = reader();
  const std::string base = folder_.string() + "/";
  EXPECT_EQ(profile->ResolvePath(""), base + "prog.xml");
  EXPECT_EQ(profile->ResolvePath("other.xml"), base + "other.xml");
  EXPECT_EQ(profile->ResolvePath("/no/such/folder/a.xml"), base + "a.xml");
  EXPECT_EQ(profile->ResolvePath(".ini"), base + "prog.ini");
  fs::create_directories(folder_ / "sub");
  EXPECT_EQ(profile->ResolvePath(base + "sub/b.xml"), base + "sub/b.xml");
  EXPECT_EQ(profile->ResolvePath(base + "sub"), base + "sub");
  EXPECT_EQ(profile->ResolvePath(base + "sub/"), base + "sub/prog.xml");
  EXPECT_EQ(CProfile::executableDefaultFile().substr(CProfile::executableDefaultFile().size() - 4), ".xml");

  // Loading a name that does not exist yet writes the current items there first.
  profile->SetString("Kept", "Key", "value");
  ASSERT_TRUE(profile->Load("fresh.xml"));
  EXPECT_EQ(profile->path(), base + "fresh.xml");
  EXPECT_EQ(profile->GetString("Kept", "Key", ""), "value");
}

TEST_F(ProfileTest, BrokenFilesShowTheMessageAndLeaveTheStoreEmpty) {
  const std::string broken[] = {"<xml><General><Name>x</General></xml>", "", "<a/><b/>", "not xml at all",
                                "<xml><General><Name>x</Name></General>"};
  for (const auto& text : broken) {
    const auto path = write("broken.xml", text);
    auto profile = reader();
    profile->SetString("Before", "Key", "v");
    reporter_.entries.clear();
    EXPECT_FALSE(profile->Load(path)) << text;
    EXPECT_TRUE(profile->items().empty());
    EXPECT_EQ(profile->path(), path);
    ASSERT_EQ(reporter_.entries.size(), 1u);
    EXPECT_EQ(reporter_.entries[0].message,
              "Unable to load file:  " + path + "\n\nPlease verify that the file exists.");
    EXPECT_EQ(profile->lastMessage(), reporter_.entries[0].message);
  }

  // A directory in place of the file cannot be read either.
  fs::create_directories(folder_ / "dir.xml");
  auto profile = reader();
  EXPECT_FALSE(profile->Load((folder_ / "dir.xml").string()));
}

TEST_F(ProfileTest, ParserWithoutMemoryShowsTheParserMessage) {
  const auto path = write("ok.xml", "<xml><General><Name>x</Name></General></xml>");
  const auto allocate = pugi::get_memory_allocation_function();
  const auto deallocate = pugi::get_memory_deallocation_function();
  pugi::set_memory_management_functions([](std::size_t) -> void* { return nullptr; }, deallocate);
  auto profile = reader();
  const bool loaded = profile->Load(path);
  pugi::set_memory_management_functions(allocate, deallocate);
  EXPECT_FALSE(loaded);
  EXPECT_EQ(profile->lastMessage(), "Failed to load DOM. Missing MSXML.DLL?");
}

TEST_F(ProfileTest, SaveReportsAFileThatCannotBeWritten) {
  auto profile = reader();
  profile->SetString("S", "k", "v");
  EXPECT_FALSE(profile->Save());  // no path yet
  fs::create_directories(folder_ / "taken.xml");
  EXPECT_FALSE(profile->SaveAs((folder_ / "taken.xml").string()));
}

TEST_F(ProfileTest, DumpsListEntries) {
  auto profile = reader();
  EXPECT_EQ(profile->DumpText(0, -1), "");
  profile->SetString("A", "k1", "1");
  profile->SetString("B", "k2", "2");
  profile->SetString("a", "k3", "3");
  EXPECT_EQ(profile->DumpText(-5, 99), "000\tA / k1 = '1'\t\n001\tB / k2 = '2'\t\n002\ta / k3 = '3'\t\n");
  EXPECT_EQ(profile->DumpText(7, 1), "");  // first is lowered to the last entry, which lies after 1
  EXPECT_EQ(profile->DumpText(7, -1), "002\ta / k3 = '3'\t\n");
  EXPECT_EQ(profile->DumpText(1, 1), "001\tB / k2 = '2'\t\n");
  EXPECT_EQ(profile->DumpSectionText("A"),
            "Contents of section: A\n-------------------------------------------------\t\nk1 = '1'\t\nk3 = '3'\t\n");
  profile->DumpSection("b");
  ASSERT_EQ(reporter_.entries.size(), 1u);
  EXPECT_EQ(reporter_.entries[0].message, "Contents of section: b\n" + std::string(49, '-') + "\t\nk2 = '2'\t\n");
}

}  // namespace
}  // namespace kalvory
