#include "game_process.h"
#include "test_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {

// The launcher that KANAMIINA names is installed under this prefix.
const fs::path PREFIX = INSTALL_ROOT "/usr";
const fs::path STAGE = INSTALL_ROOT "/stage";
const std::string COMPONENT_MANIFEST = BINARY_DIR "/install_manifest_kanamiina.txt";

struct CommandResult
{
  int exitStatus;
  std::string output;
};

std::string quoted(const std::string& text)
{
  std::string result = "'";
  for (char c : text) {
    result += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return result + "'";
}

// Runs a shell command line, with its standard error joined to its output.
CommandResult runCommand(const std::string& command)
{
  CommandResult result{-1, ""};
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) {
    return result;
  }
  char buffer[4096];
  size_t got;
  while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    result.output.append(buffer, got);
  }
  int status = pclose(pipe);
  result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

// The component install leaves the manifest of a player's own "make install" alone.
CommandResult install(const fs::path& prefix, const fs::path& destdir)
{
  return runCommand("DESTDIR=" + quoted(destdir.string()) + " " + quoted(CMAKE) + " --install " +
                    quoted(BINARY_DIR) + " --component kanamiina --prefix " + quoted(prefix.string()));
}

CommandResult uninstall(const fs::path& destdir)
{
  return runCommand("DESTDIR=" + quoted(destdir.string()) + " " + quoted(SOURCE_DIR "/desktop/uninstall") + " " +
                    quoted(COMPONENT_MANIFEST));
}

std::string contents(const fs::path& file)
{
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Regular files below root, as paths relative to it.
std::set<std::string> filesBelow(const fs::path& root)
{
  std::set<std::string> files;
  if (fs::is_directory(root)) {
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
      if (entry.is_regular_file()) {
        files.insert(fs::relative(entry.path(), root).string());
      }
    }
  }
  return files;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

class Installed : public testing::Test
{
protected:
  void SetUp() override
  {
    fs::remove_all(INSTALL_ROOT);
    CommandResult result = install(PREFIX, "");
    ASSERT_EQ(result.exitStatus, 0) << result.output;
  }

  void TearDown() override { fs::remove_all(INSTALL_ROOT); }
};

TEST_F(Installed, LauncherStartsTheGameWithAllItsDataAndItQuitsWithStatus0)
{
  TempDir elsewhere;
  GameRun run = runGame(elsewhere.path(), {{"SDL_VIDEODRIVER", "dummy"}, {"SDL_AUDIODRIVER", "dummy"}});
  EXPECT_EQ(run.output, "");
  EXPECT_EQ(run.signal, 0);
  EXPECT_EQ(run.exitStatus, 0);
}

TEST_F(Installed, LauncherPassesTheGamesFailureStatusOn)
{
  TempDir elsewhere;
  GameRun run = runGame(elsewhere.path(), {{"SDL_VIDEODRIVER", "nosuchdriver"}});
  EXPECT_EQ(run.output.rfind("Unable to init SDL: ", 0), 0u) << run.output;
  EXPECT_EQ(run.exitStatus, 1);
}

TEST_F(Installed, DataTreeIsCopiedWhole)
{
  const fs::path source = SOURCE_DIR "/data";
  const fs::path installed = PREFIX / "share/kanamiina/data";
  std::set<std::string> sourceFiles = filesBelow(source);
  ASSERT_FALSE(sourceFiles.empty());
  EXPECT_EQ(filesBelow(installed), sourceFiles);
  for (const std::string& file : sourceFiles) {
    EXPECT_TRUE(contents(installed / file) == contents(source / file)) << file << " differs";
  }
}

TEST_F(Installed, ProgramStaysOffPathBesideALauncherThatRunsIt)
{
  const std::string launcher = contents(PREFIX / "bin/kanamiina");
  EXPECT_EQ(filesBelow(PREFIX / "bin"), std::set<std::string>{"kanamiina"});
  EXPECT_TRUE(fs::is_regular_file(PREFIX / "libexec/kanamiina/kanamiina"));
  EXPECT_NE(fs::status(PREFIX / "bin/kanamiina").permissions() & fs::perms::others_exec, fs::perms::none);
  EXPECT_NE(launcher.find("cd '" + (PREFIX / "share/kanamiina").string() + "'\n"), std::string::npos) << launcher;
  EXPECT_NE(launcher.find("exec '" + (PREFIX / "libexec/kanamiina/kanamiina").string() + "'"), std::string::npos)
      << launcher;
}

TEST_F(Installed, DesktopEntryValidatesAndNamesTheLauncherAndIcon)
{
  const fs::path entry = PREFIX / "share/applications/kanamiina.desktop";
  CommandResult result = runCommand("desktop-file-validate " + quoted(entry.string()));
  EXPECT_EQ(result.exitStatus, 0);
  EXPECT_EQ(result.output, "");
  const std::string text = contents(entry);
  EXPECT_NE(text.find("\nExec=kanamiina\n"), std::string::npos) << text;
  EXPECT_NE(text.find("\nIcon=kanamiina\n"), std::string::npos) << text;
}

TEST_F(Installed, IconIsThe64PixelPicture)
{
  const std::string icon = contents(PREFIX / "share/icons/hicolor/64x64/apps/kanamiina.png");
  EXPECT_EQ(icon, contents(SOURCE_DIR "/desktop/kanamiina.png"));
  // PNG signature, then the IHDR chunk with the width and height as 32-bit big-endian numbers.
  ASSERT_GE(icon.size(), 24u);
  EXPECT_EQ(icon.substr(0, 8), "\x89PNG\r\n\x1a\n");
  EXPECT_EQ(icon.substr(12, 4), "IHDR");
  EXPECT_EQ(icon.substr(16, 8), std::string("\0\0\0\x40\0\0\0\x40", 8));
}

TEST_F(Installed, StagedInstallLaysOutTheSameFilesWithTheLauncherOnTheFinalPrefix)
{
  CommandResult result = install("/usr", STAGE);
  ASSERT_EQ(result.exitStatus, 0) << result.output;
  for (const std::string& file : filesBelow(STAGE)) {
    EXPECT_EQ(file.rfind("usr/", 0), 0u) << file << " is outside the prefix";
  }
  EXPECT_EQ(filesBelow(STAGE / "usr"), filesBelow(PREFIX));
  EXPECT_EQ(contents(STAGE / "usr/bin/kanamiina"),
            replaceAll(contents(PREFIX / "bin/kanamiina"), PREFIX.string(), "/usr"));
}

TEST_F(Installed, UninstallRemovesEveryInstalledFileAndTheGamesDirectories)
{
  CommandResult result = uninstall("");
  ASSERT_EQ(result.exitStatus, 0) << result.output;
  EXPECT_EQ(filesBelow(PREFIX), std::set<std::string>{});
  EXPECT_FALSE(fs::exists(PREFIX / "share/kanamiina"));
  EXPECT_FALSE(fs::exists(PREFIX / "libexec/kanamiina"));
}

// Staged over the test's own prefix: an uninstall that forgot DESTDIR would empty that one.
TEST_F(Installed, StagedUninstallRemovesTheStagedFilesOnly)
{
  CommandResult staged = install(PREFIX, STAGE);
  ASSERT_EQ(staged.exitStatus, 0) << staged.output;
  std::set<std::string> finalFiles = filesBelow(PREFIX);
  ASSERT_EQ(filesBelow(STAGE / PREFIX.relative_path()), finalFiles);
  CommandResult result = uninstall(STAGE);
  ASSERT_EQ(result.exitStatus, 0) << result.output;
  EXPECT_EQ(filesBelow(STAGE), std::set<std::string>{});
  EXPECT_EQ(filesBelow(PREFIX), finalFiles);
}

}
