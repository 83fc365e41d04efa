#include "settings/settings_path.h"

#include <gtest/gtest.h>

#include <string>

namespace tavilune {
namespace {

struct PathCase {
  const char* exe;
  const char* settings;
};

class SettingsPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(SettingsPathTest, ReplacesOrAppendsTheExtensionOfTheFileName) {
  EXPECT_EQ(SettingsPath(GetParam().exe), GetParam().settings);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsPathTest,
    ::testing::Values(PathCase{"C:\\Program Files\\Tavilune\\tavilune.exe",
                               "C:\\Program Files\\Tavilune\\tavilune.dat"},
                      PathCase{"C:\\tools\\renamed.EXE", "C:\\tools\\renamed.dat"},
                      PathCase{"C:\\tools\\tavilune", "C:\\tools\\tavilune.dat"},
                      PathCase{"C:\\v1.2\\tavilune", "C:\\v1.2\\tavilune.dat"},
                      PathCase{"C:\\v1.2\\a.b.exe", "C:\\v1.2\\a.b.dat"},
                      PathCase{"/home/user/v1.2/tavilune", "/home/user/v1.2/tavilune.dat"},
                      PathCase{"/home/user/v1.2/tavilune.exe", "/home/user/v1.2/tavilune.dat"},
                      // "表" is 0x95 0x5C: its second byte is no separator, so the dot before it
                      // starts the file name's extension.
                      PathCase{"C:\\x\\a.\x95\x5C", "C:\\x\\a.dat"},
                      PathCase{"C:\\x.y\\\x95\x5C", "C:\\x.y\\\x95\x5C.dat"},
                      PathCase{"C:\\\x95\x5C.d\\\x83\x5C.exe", "C:\\\x95\x5C.d\\\x83\x5C.dat"},
                      // A lead byte with nothing after it is just a byte.
                      PathCase{"C:\\x\\a\x95", "C:\\x\\a\x95.dat"}));

TEST(SettingsPathCutTest, KeepsAtMost255BytesWithoutSplittingACharacter) {
  const std::string folder = "C:\\" + std::string(240, 'f') + "\\";  // 244 bytes

  EXPECT_EQ(SettingsPath(folder + "abcdefg.exe"), folder + "abcdefg.dat");  // exactly 255
  EXPECT_EQ(SettingsPath(folder + "abcdefgh.exe"), folder + "abcdefgh.da");
  EXPECT_EQ(SettingsPath(folder + std::string(100, 'n') + ".exe"),
            (folder + std::string(100, 'n')).substr(0, 255));

  // Byte 255 would be the first half of "ソ" (0x83 0x5C): the cut stops before the character.
  const std::string name = std::string(10, 'n') + "\x83\x5C" + ".exe";
  EXPECT_EQ(SettingsPath(folder + name), folder + std::string(10, 'n'));
  const std::string shifted = std::string(9, 'n') + "\x83\x5C" + ".exe";
  EXPECT_EQ(SettingsPath(folder + shifted), folder + std::string(9, 'n') + "\x83\x5C");
}

// A program folder named in characters the ANSI code page cannot spell gives a UTF-8 path. Its
// bytes are never read as double-byte ANSI ("ā" ends in 0x81, an ANSI lead byte, which would
// swallow the "\\" after it), and its cut counts characters.
TEST(SettingsPathUtf8Test, KeepsItsFoldersAndCutsByCharacters) {
  const auto utf8 = FilePath::Encoding::kUtf8;
  EXPECT_EQ(SettingsPath(u8"C:\\한글\\tavilune.exe", utf8), u8"C:\\한글\\tavilune.dat");
  EXPECT_EQ(SettingsPath(u8"C:\\v1.ā\\tool", utf8), u8"C:\\v1.ā\\tool.dat");
  std::string folder = "C:\\";
  for (int i = 0; i < 300; ++i) folder += u8"한";
  const std::string cut = SettingsPath(folder + u8"\\한.exe", utf8);
  EXPECT_EQ(cut, folder.substr(0, 3 + 252 * 3));
}

}  // namespace
}  // namespace tavilune
