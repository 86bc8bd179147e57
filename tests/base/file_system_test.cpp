#include "base/file_system.h"

#include <fcntl.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
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

// "ok", or the number of the error the step threw.
std::string Outcome(const std::function<void()>& step) {
  try {
    step();
    return "ok";
  } catch (const RunError& error) {
    return std::to_string(error.number());
  }
}

TEST(FileSystem, AnswersForEachKindOfPath) {
  TempFolder folder;
  const std::filesystem::path here = std::filesystem::current_path();
  const std::string file = folder.Write("a.sua", "abc"), sub = folder.Write("sub/b.sua", "b");
  const std::string dir = folder.Path("sub"), missing = folder.Path("missing.sua");
  // Folder, regular file, anything, size (9 for none) of a file, a folder, a missing path, "".
  std::string kinds;
  for (const std::string& path : {file, dir, missing, std::string()})
    kinds += std::to_string(fs::FolderExists(path)) + std::to_string(fs::RegularFileExists(path)) +
             std::to_string(fs::AnythingExists(path)) +
             std::to_string(fs::FileSize(path).value_or(9)) + " ";
  EXPECT_EQ(kinds, "0113 1019 0009 0009 ");
  // Rows run in order: each may rely on what those before it did.
  // clang-format off
  const std::pair<std::string, std::string> rows[] = {
      {Outcome([&] { fs::DeleteFile(dir); }), std::to_string(EISDIR)},
      {Outcome([&] { fs::DeleteFile(missing); }), std::to_string(ENOENT)},
      {Outcome([&] { fs::RenameFile(sub, file); }), std::to_string(EEXIST)},
      {std::to_string(Outcome([&] { fs::RenameFile(missing, folder.Path("c.sua")); }) != "ok"), "1"},
      {Outcome([&] { fs::CreateFolder(dir); }), std::to_string(EEXIST)},
      {Outcome([&] { fs::CreateFolder(folder.Path("new")); }), "ok"},
      {std::to_string(fs::FolderExists(folder.Path("new"))), "1"},
      {Outcome([&] { fs::RenameFile(sub, folder.Path("c.sua")); }), "ok"},
      {ReadAll(folder.Path("c.sua")), "b"},
      {Outcome([&] { fs::ReplaceFile(folder.Path("c.sua"), file); }), "ok"},
      {ReadAll(file), "b"},
      {Outcome([&] { fs::DeleteFile(file); }), "ok"},
      {std::to_string(Exists(file)), "0"},
      {Outcome([&] { fs::SetCurrentFolder(dir); }), "ok"},
      {std::to_string(fs::CurrentFolder() == dir), "1"},
      {Outcome([&] { fs::SetCurrentFolder(missing); }), std::to_string(ENOENT)}};
  // clang-format on
  for (const auto& [actual, expected] : rows)
    EXPECT_EQ(actual, expected) << (&expected - &rows[0].second) / 2;
  fs::File opened = fs::File::Open(folder.Path("c.sua"), fs::File::Mode::kWrite);
  opened.Write("abcd", 4);
  const uint64_t end = opened.Tell();
  opened.Seek(0);
  EXPECT_EQ(std::to_string(end) + std::to_string(opened.Tell()) + std::to_string(opened.Size()),
            "404");
  std::filesystem::current_path(here);
}

TEST(CopyFile, ReplacesTheDestinationWithAWritableCopyAndLeavesNoPartialFile) {
  TempFolder folder;
  const std::string from = folder.Write("a.sua", "nuevo"),
                    to = folder.Write("b.sua", "anterior y mas largo");
  std::filesystem::permissions(fs::ToPath(from), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  fs::CopyFile(from, to);
  fs::CopyFile(to, to);
  EXPECT_EQ(ReadAll(to) + "|" + ReadAll(from), "nuevo|nuevo");
  const auto perms = std::filesystem::status(fs::ToPath(to)).permissions();
  EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
  EXPECT_THROW(fs::CopyFile(folder.Path("missing.sua"), folder.Path("c.sua")), RunError);
  fs::CreateFolder(folder.Path("sub"));
  EXPECT_THROW(fs::CopyFile(from, folder.Path("sub")), RunError);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"a.sua", "b.sua", "sub/"}));
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
    EXPECT_NE(Outcome([&] { fs::File::Open(folder.Path("missing.sua"), fs::File::Mode::kRead); }),
              "ok");
    close(descriptor);  // pulled from under the stream
    EXPECT_EQ(Outcome([&] { seek ? file.Seek(1) : void(file.Tell()); }), std::to_string(EBADF));
  }
}

}  // namespace
}  // namespace qeb
