#include "base/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

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

// The C runtime keeps the last failure until the next one, and some failures
// set errno alone (a closed descriptor: EBADF); a failed seek or tell must
// report its own failure, not that of an earlier, unrelated call.
TEST(File, AFailedSeekOrTellReportsItsOwnError) {
  TempFolder folder;
  const std::string path = folder.Write("a.sua", "abc");
  for (const bool seek : {true, false}) {
    // Descriptors are handed out lowest first: the stream gets this one.
    const int descriptor = open(path.c_str(), O_RDONLY);
    ASSERT_GE(descriptor, 0);
    close(descriptor);
    fs::File file = fs::File::Open(path, fs::File::Mode::kRead);
    long earlier = 0;
    try {
      fs::File::Open(folder.Path("missing.sua"), fs::File::Mode::kRead);
    } catch (const RunError& error) {
      earlier = error.number();
    }
    ASSERT_NE(earlier, 0);
    close(descriptor);  // pulled from under the stream
    try {
      if (seek)
        file.Seek(1);
      else
        file.Tell();
      ADD_FAILURE() << "no failure";
    } catch (const RunError& error) {
      EXPECT_EQ(error.number(), EBADF) << error.OperatorText();
    }
  }
}

}  // namespace
}  // namespace qeb
