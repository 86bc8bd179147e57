#include "base/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <functional>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include "support/child_process.h"
#endif

#include "support/temp_folder.h"

namespace qeb {
namespace {

using test_support::Exists;
using test_support::ReadAll;
using test_support::TempFolder;

// The platform's own numbers for a folder where a file is meant, a missing
// file and a name already taken.
#ifdef _WIN32
// ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_ALREADY_EXISTS
const std::string kIsAFolder = "5", kNotFound = "2", kTaken = "183";
#else
const std::string kIsAFolder = std::to_string(EISDIR), kNotFound = std::to_string(ENOENT),
                  kTaken = std::to_string(EEXIST);
#endif

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
      {Outcome([&] { fs::DeleteFile(dir); }), kIsAFolder},
      {Outcome([&] { fs::DeleteFile(missing); }), kNotFound},
      {Outcome([&] { fs::RenameFile(sub, file); }), kTaken},
      {std::to_string(Outcome([&] { fs::RenameFile(missing, folder.Path("c.sua")); }) != "ok"), "1"},
      {Outcome([&] { fs::CreateFolder(dir); }), kTaken},
      {Outcome([&] { fs::CreateFolder(folder.Path("new")); }), "ok"},
      {std::to_string(fs::FolderExists(folder.Path("new"))), "1"},
      {Outcome([&] { fs::RenameFile(sub, folder.Path("c.sua")); }), "ok"},
      {ReadAll(folder.Path("c.sua")), "b"},
      {Outcome([&] { fs::ReplaceFile(folder.Path("c.sua"), file); }), "ok"},
      {ReadAll(file), "b"},
      {Outcome([&] { fs::DeleteFile(file); }), "ok"},
      {std::to_string(Exists(file)), "0"},
      {Outcome([&] { fs::SetCurrentFolder(dir); }), "ok"},
      {std::to_string(std::filesystem::current_path() == fs::ToPath(dir)), "1"},
      {Outcome([&] { fs::SetCurrentFolder(missing); }), kNotFound}};
  // clang-format on
  for (const auto& [actual, expected] : rows)
    EXPECT_EQ(actual, expected) << (&expected - &rows[0].second) / 2;
  fs::File opened = fs::File::Open(folder.Path("c.sua"), fs::File::Mode::kWrite);
  opened.Write("abcd", 4);
  fs::File& same = opened;
  opened = std::move(same);  // assigning a file to itself keeps it open
  opened.Seek(1);
  opened.Write("X", 1);
  EXPECT_EQ(opened.Size(), 4u);
  opened.Close();
  EXPECT_EQ(ReadAll(folder.Path("c.sua")), "aXcd");
  std::filesystem::current_path(here);
}

TEST(CopyFile, ReplacesTheDestinationWithAWritableCopyAndLeavesNoPartialFile) {
  TempFolder folder;
  const std::string from = folder.Write("a.sua", "n"),  // one byte: one kernel call copies it
      to = folder.Write("b.sua", "anterior y mas largo");
  std::filesystem::permissions(fs::ToPath(from), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  fs::CopyFile(from, to);
  fs::CopyFile(to, to);
  EXPECT_EQ(ReadAll(to) + "|" + ReadAll(from), "n|n");
  const auto perms = std::filesystem::status(fs::ToPath(to)).permissions();
  EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
  EXPECT_THROW(fs::CopyFile(folder.Path("missing.sua"), folder.Path("c.sua")), RunError);
  fs::CreateFolder(folder.Path("sub"));
  EXPECT_THROW(fs::CopyFile(from, folder.Path("sub")), RunError);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"a.sua", "b.sua", "sub/"}));
}

#ifdef __linux__
// Where the kernel's copy gives up (EXDEV between file systems, no such call,
// a file system that cannot copy that way, or an answer of 0 from one) a
// buffer copies the rest; real failures of either, a write that moves nothing
// (the disk is full), and a failed close of the copy, are errors that leave no
// partial file.
TEST(CopyFile, GoesOnThroughABufferWhereTheKernelCannotCopyAndReportsRealFailures) {
  TempFolder folder;
  const std::string data(300'000, 'd'), from = folder.Write("a.sua", data);
  const int kGivesUp = EXDEV;
  // The system calls that fail, and how; then the outcome.
  // clang-format off
  const std::pair<std::vector<std::pair<long, int>>, int> kRows[] = {
      {{{SYS_copy_file_range, EXDEV}}, 0}, {{{SYS_copy_file_range, ENOSYS}}, 0},
      {{{SYS_copy_file_range, EINVAL}}, 0}, {{{SYS_copy_file_range, EOPNOTSUPP}}, 0},
      {{{SYS_copy_file_range, 0}}, 0}, {{{SYS_copy_file_range, EIO}}, EIO},
      {{{SYS_close, EIO}}, EIO}, {{{SYS_copy_file_range, kGivesUp}, {SYS_read, EIO}}, EIO},
      {{{SYS_copy_file_range, kGivesUp}, {SYS_write, EIO}}, EIO},
      {{{SYS_copy_file_range, kGivesUp}, {SYS_write, 0}}, ENOSPC}};
  // clang-format on
  for (const auto& row : kRows) {
    const auto& [calls, error] = row;
    const std::string to = folder.Path("b.sua");
    const std::string outcome = test_support::RunInChild(
        [&row] {
          for (const auto& [call, answer] : row.first) test_support::FailSystemCall(call, answer);
        },
        [&] { return Outcome([&] { fs::CopyFile(from, to); }); });
    const bool fails = error != 0;
    EXPECT_EQ(outcome, fails ? std::to_string(error) : "ok")
        << calls.size() << " " << calls[0].first;
    const std::vector<std::string> files{"a.sua", "b.sua"};
    EXPECT_EQ(folder.List(), std::vector(files.begin(), files.end() - fails));
    if (!fails) {
      EXPECT_EQ(ReadAll(to), data);
    }
    std::filesystem::remove(to);
  }
  // Without a standard input, the source may be given descriptor 0.
  const std::string to = folder.Path("b.sua");
  EXPECT_EQ(test_support::RunInChild([] { close(0); },
                                     [&] { return Outcome([&] { fs::CopyFile(from, to); }); }),
            "ok");
  EXPECT_EQ(ReadAll(to), data);
}
#endif

#ifndef _WIN32
// The C library keeps errno from an earlier failure, and some failures set
// errno alone (a closed descriptor: EBADF); a failed seek must report its own
// failure, not that of an earlier, unrelated call.
TEST(File, AFailedSeekReportsItsOwnError) {
  TempFolder folder;
  const std::string path = folder.Write("a.sua", "abc");
  // Descriptors are handed out lowest first: the stream gets this one.
  const int descriptor = open(path.c_str(), O_RDONLY);
  ASSERT_GE(descriptor, 0);
  close(descriptor);
  fs::File file = fs::File::Open(path, fs::File::Mode::kRead);
  EXPECT_NE(Outcome([&] { fs::File::Open(folder.Path("missing.sua"), fs::File::Mode::kRead); }),
            "ok");
  close(descriptor);  // pulled from under the stream
  EXPECT_EQ(Outcome([&] { file.Seek(1); }), std::to_string(EBADF));
}
#endif

}  // namespace
}  // namespace qeb
