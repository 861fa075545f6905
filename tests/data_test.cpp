// The committed pictures, icons, font and sound effects are what the tools make today: a fresh run of the tools gives
// the same bytes or, for the PNG icons, whose bytes depend on the zlib that packed them, the same pixels.
#include "support.h"

#include <zlib.h>

#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;

std::uint32_t bigEndian(const std::string& bytes, size_t at)
{
  std::uint32_t value = 0;
  for (size_t i = at; i < at + 4 && i < bytes.size(); ++i) {
    value = value << 8 | static_cast<unsigned char>(bytes[i]);
  }
  return value;
}

// The rows of an 8-bit RGBA PNG as the tools write it, each led by its filter byte, after every chunk
// has passed its CRC; or why the file is not such a PNG.
std::string pngRows(const std::string& file, std::string& why)
{
  std::string packed;
  std::uint32_t width = 0, height = 0;
  size_t at = 8;
  why = file.compare(0, at, "\x89PNG\r\n\x1a\n") == 0 ? "" : "no PNG signature";
  for (std::string type; why.empty() && type != "IEND"; at += 12 + bigEndian(file, at)) {
    std::uint32_t length = bigEndian(file, at);
    if (at + 12 > file.size() || length > file.size() - at - 12) {
      why = "a chunk runs past the end";
      break;
    }
    type = file.substr(at + 4, 4);
    std::string data = file.substr(at + 8, length);
    if (crc32(0, reinterpret_cast<const Bytef*>(file.data() + at + 4), length + 4) != bigEndian(file, at + 8 + length)) {
      why = type + " fails its CRC";
    } else if (type == "IHDR") {
      width = bigEndian(data, 0);
      height = bigEndian(data, 4);
      why = data.compare(8, 5, std::string("\x08\x06\0\0\0", 5)) == 0 ? "" : "not 8-bit RGBA";
    } else if (type == "IDAT") {
      packed += data;
    }
  }
  std::string rows(height * (1 + 4 * width), '\0');
  uLongf size = rows.size();
  if (why.empty() && at != file.size()) {
    why = "bytes after its end";
  } else if (why.empty() && (uncompress(reinterpret_cast<Bytef*>(rows.data()), &size,
                                        reinterpret_cast<const Bytef*>(packed.data()), packed.size()) != Z_OK ||
                             size != rows.size())) {
    why = "pixels that do not unpack to its size";
  }
  return rows;
}

std::set<std::string> filesUnder(const fs::path& root, const std::vector<std::string>& parts)
{
  std::set<std::string> files;
  for (const std::string& part : parts) {
    for (const auto& entry : fs::recursive_directory_iterator(root / part)) {
      if (entry.is_regular_file()) {
        files.insert(fs::relative(entry.path(), root).string());
      }
    }
  }
  return files;
}

TEST(Data, CommittedFilesAreWhatTheToolsMake)
{
  TempDir made;
  ASSERT_EQ(system((MAKEPICTURES " " + made.path("data") + " " + made.path("desktop") + " && " MAKEFONT " " +
                    made.path("data/fontti") + " && " MAKESOUNDS " " + made.path("data") + " && " MAKEFONT " --versions >" + made.path("versions")).c_str()),
            0);
  const std::vector<std::string> parts = {"data", "desktop/icons"};
  std::set<std::string> committed = filesUnder(SOURCE_DIR, parts);
  ASSERT_EQ(committed, filesUnder(made.path(), parts));
  // Text is drawn by FreeType from DejaVu: another version of either may draw it otherwise.
  std::string versions = "the committed data was made with " + readFile(SOURCE_DIR "/tools/data-made-with") +
                         "the tools here use " + readFile(made.path("versions"));
  for (const std::string& name : committed) {
    std::string kept = readFile(SOURCE_DIR "/" + name), fresh = readFile(made.path(name));
    bool hasText = name == "data/peliohi.bmp" || name == "data/tauko.bmp" || name.rfind("data/fontti/", 0) == 0;
    if (fs::path(name).extension() == ".png") {
      std::string why, freshWhy;
      std::string keptRows = pngRows(kept, why), freshRows = pngRows(fresh, freshWhy);
      EXPECT_EQ(why, "") << name;
      EXPECT_TRUE(keptRows == freshRows) << name << " shows other pixels than the tools draw";
    } else {
      EXPECT_TRUE(kept == fresh) << name << " differs from what the tools make" << (hasText ? "; " + versions : "");
    }
  }
}

}
