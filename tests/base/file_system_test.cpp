#include "base/file_system.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>

#include "support/temp_folder.h"
#ifdef __linux__
#include <sys/syscall.h>

#include "support/child_process.h"
#endif

namespace qeb {
namespace {

using test_support::Exists;
using test_support::ReadAll;
using test_support::TempFolder;

// The platform's own numbers for a folder where a file is meant, a missing
// file, a name already taken, a read that fails (EIO, which Wine reports as
// ERROR_NOT_READY) and a file that ends before its size.
#ifdef _WIN32
// ERROR_ACCESS_DENIED, ERROR_FILE_NOT_FOUND, ERROR_ALREADY_EXISTS, ERROR_HANDLE_EOF
const std::string kIsAFolder = "5", kNotFound = "2", kTaken = "183", kUnreadable = "21",
                  kEndedEarly = "38";
const char* const kShorterThanItsSize = "Z:\\sys\\class\\net\\lo\\address";
#else
const std::string kIsAFolder = std::to_string(EISDIR), kNotFound = std::to_string(ENOENT),
                  kTaken = std::to_string(EEXIST), kUnreadable = std::to_string(EIO),
                  kEndedEarly = kUnreadable;
const char* const kShorterThanItsSize = "/sys/class/net/lo/address";
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

// The copy checks every read and write and counts the bytes against the
// source's size: a source that cannot be read whole is the system's error,
// and nothing of it is left under the destination's name or beside it. A
// copy keeps its source's last-write time and is writable.
TEST(CopyFile, CopiesWholeOrReportsTheSystemsErrorAndLeavesNoPart) {
  TempFolder folder;
  const std::string data(600'000, 'd');  // more than two blocks
  const std::string from = folder.Write("a.sua", data), to = folder.Write("b.sua", "anterior");
  std::filesystem::last_write_time(fs::ToPath(from), std::filesystem::file_time_type::clock::now() -
                                                         std::chrono::hours(24 * 900));
  std::filesystem::permissions(fs::ToPath(from), std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);
  fs::CreateFolder(folder.Path("sub"));
  const char* unreadable = std::getenv("QEB_UNREADABLE_FILE");  // its reads fail at 300,000
  ASSERT_NE(unreadable, nullptr);
  // clang-format off
  const std::pair<std::string, std::string> rows[] = {
      {Outcome([&] { fs::CopyFile(from, to); }), "ok"},
      {Outcome([&] { fs::CopyFile(to, to); }), "ok"},
      {Outcome([&] { fs::CopyFile(folder.Path("missing.sua"), folder.Path("c.sua")); }), kNotFound},
      {Outcome([&] { fs::CopyFile(from, folder.Path("sub")); }), kIsAFolder},
      {Outcome([&] { fs::CopyFile(unreadable, folder.Path("d.sua")); }), kUnreadable},
      // A kernel file: its size reads 4096, its data is 18 bytes.
      {Outcome([&] { fs::CopyFile(kShorterThanItsSize, folder.Path("e.sua")); }), kEndedEarly}};
  // clang-format on
  for (const auto& [actual, expected] : rows)
    EXPECT_EQ(actual, expected) << (&expected - &rows[0].second) / 2;
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"a.sua", "b.sua", "sub/"}));
  EXPECT_TRUE(ReadAll(to) == data);
  EXPECT_EQ(std::filesystem::last_write_time(fs::ToPath(to)),
            std::filesystem::last_write_time(fs::ToPath(from)));
  const auto perms = std::filesystem::status(fs::ToPath(to)).permissions();
  EXPECT_NE(perms & std::filesystem::perms::owner_write, std::filesystem::perms::none);
}

#ifdef __linux__
// A failure keeps the system's own number, whatever it is: EPERM is 1.
TEST(File, AFailureKeepsTheSystemsOwnNumber) {
  const std::string path = TempFolder().Path("a.sua");
  EXPECT_EQ(test_support::RunInChild(
                [] { test_support::FailSystemCall({SYS_openat}, 1, EPERM); },
                [&] { return Outcome([&] { fs::File::Open(path, fs::File::Mode::kWrite); }); }),
            "1");
}
#endif

// The program's own errors as the operator reads them: number, blank, text;
// a number of no condition of the program's keeps a plain text.
TEST(ProgramError, EachNumberHasItsText) {
  std::string seen;
  for (const long number : {5L, 6L, 7L, 51L, 62L, 364L, 32755L, 9L})
    seen += ProgramError(number).OperatorText() + "|";
  EXPECT_EQ(seen,
            "5 Llamada a procedimiento o argumento no válidos|6 Desbordamiento|7 Memoria "
            "insuficiente|51 Error interno|62 La entrada pasó del final del archivo|364 Se "
            "descargó el objeto|32755 Se seleccionó Cancelar.|9 Error 9|");
}

}  // namespace
}  // namespace qeb
