// The pictures, icon and font under data/ and desktop/ are drawn by the programs in
// tools/. These tests draw them afresh and insist the committed files are the same bytes.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

std::vector<char> readBytes(const fs::path& path)
{
  std::ifstream file(path, std::ios::binary);
  return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// Paths of all regular files below root, relative to it.
std::set<std::string> filesBelow(const fs::path& root)
{
  std::set<std::string> files;
  if (!fs::is_directory(root)) {
    return files;
  }
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
    if (entry.is_regular_file()) {
      files.insert(fs::relative(entry.path(), root).generic_string());
    }
  }
  return files;
}

std::string quoted(const fs::path& path)
{
  return "'" + path.string() + "'";
}

// Runs both data makers once into a fresh temporary directory shared by all tests here.
class DataTest : public testing::Test
{
protected:
  static void SetUpTestSuite()
  {
    std::string pattern = (fs::temp_directory_path() / "kanamiina-data-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    made_ = pattern;
    pictureStatus_ =
        std::system((quoted(MAKEPICTURES) + " " + quoted(made_ / "data") + " " + quoted(made_ / "desktop")).c_str());
    fontStatus_ = std::system((quoted(MAKEFONT) + " " + quoted(made_ / "data" / "fontti")).c_str());
  }

  static void TearDownTestSuite()
  {
    std::error_code ignored;
    fs::remove_all(made_, ignored);
  }

  // Every file made under made_/directory must equal the committed one under the source tree.
  static void expectCommittedCopies(const std::string& directory)
  {
    const fs::path committed = fs::path(SOURCE_DIR) / directory;
    const std::set<std::string> madeFiles = filesBelow(made_ / directory);
    ASSERT_FALSE(madeFiles.empty()) << "the tools made nothing in " << directory;
    for (const std::string& name : madeFiles) {
      const std::string shown = directory + "/" + name;
      if (!fs::is_regular_file(committed / name)) {
        ADD_FAILURE() << shown << " is made by the tools but not committed";
        continue;
      }
      const std::vector<char> fresh = readBytes(made_ / directory / name);
      const std::vector<char> kept = readBytes(committed / name);
      std::size_t offset = 0;
      while (offset < fresh.size() && offset < kept.size() && fresh[offset] == kept[offset]) {
        ++offset;
      }
      EXPECT_TRUE(offset == fresh.size() && offset == kept.size())
          << shown << " differs from what the tools make: first difference at byte " << offset << " (committed "
          << kept.size() << " bytes, made " << fresh.size() << " bytes)";
    }
  }

  static fs::path made_;
  static int pictureStatus_;
  static int fontStatus_;
};

fs::path DataTest::made_;
int DataTest::pictureStatus_ = -1;
int DataTest::fontStatus_ = -1;

TEST_F(DataTest, ToolsSucceed)
{
  EXPECT_EQ(pictureStatus_, 0) << MAKEPICTURES;
  EXPECT_EQ(fontStatus_, 0) << MAKEFONT;
}

TEST_F(DataTest, CommittedDataIsWhatToolsMake)
{
  expectCommittedCopies("data");
}

TEST_F(DataTest, CommittedIconIsWhatToolsMake)
{
  expectCommittedCopies("desktop");
}

TEST_F(DataTest, CommittedDataHoldsNothingToolsNoLongerMake)
{
  const std::set<std::string> madeFiles = filesBelow(made_ / "data");
  ASSERT_FALSE(madeFiles.empty());
  for (const std::string& name : filesBelow(fs::path(SOURCE_DIR) / "data")) {
    EXPECT_EQ(madeFiles.count(name), 1u) << "data/" << name << " is committed but the tools no longer make it";
  }
}

}
