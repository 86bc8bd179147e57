#include "base/file_system.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"

namespace qeb {
namespace {

using test_support::Exists;
using test_support::ReadAll;
using test_support::TempFolder;

TEST(CopyFile, ReplacesAnExistingDestination) {
  TempFolder folder;
  const std::string from = folder.Write("a.sua", "nuevo");
  const std::string to = folder.Write("b.sua", "un contenido anterior y mas largo");
  fs::CopyFile(from, to);
  EXPECT_EQ(ReadAll(to), "nuevo");
  EXPECT_EQ(ReadAll(from), "nuevo");
  EXPECT_FALSE(Exists(to + ".qeb-partial"));
}

TEST(CopyFile, ACopyOntoItselfKeepsTheData) {
  TempFolder folder;
  const std::string path = folder.Write("a.sua", "datos");
  fs::CopyFile(path, path);
  EXPECT_EQ(ReadAll(path), "datos");
}

TEST(CopyFile, TheCopyOfAReadOnlyFileIsWritable) {
  TempFolder folder;
  const std::string from = folder.Write("a.sua", "datos");
  std::filesystem::permissions(fs::ToPath(from), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  const std::string to = folder.Path("b.sua");
  fs::CopyFile(from, to);
  EXPECT_EQ(ReadAll(to), "datos");
  const auto perms = std::filesystem::status(fs::ToPath(to)).permissions();
  EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
}

TEST(CopyFile, FailuresLeaveNoPartialFile) {
  TempFolder folder;
  const std::string to = folder.Path("b.sua");
  EXPECT_THROW(fs::CopyFile(folder.Path("missing.sua"), to), RunError);
  EXPECT_FALSE(Exists(to));
  EXPECT_FALSE(Exists(to + ".qeb-partial"));
  const std::string from = folder.Write("a.sua", "datos");
  EXPECT_THROW(fs::CopyFile(from, folder.Root()), RunError);
  EXPECT_FALSE(Exists(folder.Root() + ".qeb-partial"));
}

}  // namespace
}  // namespace qeb
