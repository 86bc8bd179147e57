#include "sua/sua_text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "base/file_system.h"
#include "base/run_error.h"
#include "temp_folder.h"

namespace qeb {
namespace {

using testing_sua::TempFolder;

long ErrorOfRead(SuaTextFile& file, size_t count, std::string& text) {
  try {
    file.Read(count, text);
    return 0;
  } catch (const RunError& error) {
    return error.number();
  }
}

TEST(SuaTextFile, ReadsCharactersInOrderFromPositionOne) {
  TempFolder folder;
  SuaTextFile file(folder.Write("a.sua", "0123456789"));
  EXPECT_EQ(file.Length(), 10u);
  EXPECT_EQ(file.Position(), 1u);
  std::string text;
  file.Read(4, text);
  EXPECT_EQ(text, "0123");
  EXPECT_EQ(file.Position(), 5u);
  file.SetPosition(9);
  file.Read(2, text);
  EXPECT_EQ(text, "89");
  EXPECT_TRUE(file.AtEnd());
}

TEST(SuaTextFile, ReadingPastTheEndFailsAndKeepsTheText) {
  TempFolder folder;
  SuaTextFile file(folder.Write("a.sua", "0123456789"));
  std::string text = "before";
  file.SetPosition(8);
  EXPECT_EQ(ErrorOfRead(file, 4, text), kErrPastEndOfFile);
  EXPECT_EQ(text, "before");
  file.SetPosition(20);
  EXPECT_TRUE(file.AtEnd());
  EXPECT_EQ(ErrorOfRead(file, 1, text), kErrPastEndOfFile);
}

TEST(SuaTextFile, TheFirstEndOfDataMarkEndsTheData) {
  TempFolder folder;
  SuaTextFile file(folder.Write("mark-inside.sua", std::string("abc\x1A"
                                                               "def\x1A",
                                                               8)));
  std::string text = "before";
  EXPECT_EQ(ErrorOfRead(file, 4, text), kErrPastEndOfFile);
  EXPECT_EQ(text, "before");
  file.SetPosition(1);
  file.Read(3, text);
  EXPECT_EQ(text, "abc");
  EXPECT_TRUE(file.AtEnd());
  // Characters after the mark are there when asked for by position.
  file.SetPosition(5);
  EXPECT_FALSE(file.AtEnd());
  file.Read(3, text);
  EXPECT_EQ(text, "def");
  EXPECT_TRUE(file.AtEnd());
}

TEST(SuaTextFile, PositionsStartAtOne) {
  TempFolder folder;
  SuaTextFile file(folder.Write("a.sua", "abc"));
  try {
    file.SetPosition(0);
    FAIL() << "position 0 does not exist";
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), kErrInvalidArgument);
  }
}

TEST(SuaTextFile, AnEmptyFileIsAtItsEnd) {
  TempFolder folder;
  SuaTextFile file(folder.Write("empty.sua", ""));
  EXPECT_TRUE(file.AtEnd());
  std::string text;
  EXPECT_EQ(ErrorOfRead(file, 1, text), kErrPastEndOfFile);
}

TEST(SuaTextFile, DataAddedAfterOpeningIsNotRead) {
  TempFolder folder;
  const std::string path = folder.Write("grows.sua", "abc");
  SuaTextFile file(path);
  {
    std::ofstream more(fs::ToPath(path), std::ios::binary | std::ios::app);
    more << "def";
  }
  std::string text;
  file.Read(3, text);
  EXPECT_TRUE(file.AtEnd());
  EXPECT_EQ(ErrorOfRead(file, 1, text), kErrPastEndOfFile);
}

TEST(SuaTextFile, DataCutShortWhileOpenIsAFailedReadNotTheEnd) {
  TempFolder folder;
  const std::string path = folder.Write("cut-short.sua", "abcdef");
  SuaTextFile file(path);
  std::filesystem::resize_file(fs::ToPath(path), 3);
  std::string text;
  file.Read(3, text);
  EXPECT_EQ(text, "abc");
  EXPECT_FALSE(file.AtEnd());
  EXPECT_EQ(ErrorOfRead(file, 3, text), kErrPastEndOfFile);
  EXPECT_EQ(text, "abc");
}

TEST(SuaTextFile, MissingFilesAndFoldersDoNotOpen) {
  TempFolder folder;
  EXPECT_THROW(SuaTextFile(folder.Path("missing.sua")), RunError);
  EXPECT_THROW(SuaTextFile(folder.Root()), RunError);
}

}  // namespace
}  // namespace qeb
