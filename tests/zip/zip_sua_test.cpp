#include "zip/zip_sua.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "base/file_system.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {
using testing_zip::BuildArchive;
using testing_zip::ReadAll;
using testing_zip::TempFolder;

const std::string kEmptyArchive = std::string("PK\x05\x06", 4) + std::string(18, '\0');
// The platform's own number for a path whose folder does not exist.
#ifdef _WIN32
const std::string kMissingFolder = "3";  // ERROR_PATH_NOT_FOUND
#else
const std::string kMissingFolder = std::to_string(ENOENT);
#endif

TEST(CreateEmptyZip, WritesTheEmptyEndRecordOrFailsWithThePlatformsError) {
  TempFolder folder;
  ZIP_SUA zip;
  for (const std::string& path :
       {folder.Write("E.ZIP", std::string(1000, 'x')), folder.Path("N")}) {
    EXPECT_TRUE(zip.CreateEmptyZip(path));
    EXPECT_EQ(ReadAll(path), kEmptyArchive);
  }
  EXPECT_EQ(zip.ErrNum(), "");
  EXPECT_FALSE(zip.CreateEmptyZip(folder.Path("none/E.ZIP")));
  EXPECT_EQ(zip.ErrNum(), kMissingFolder);
  EXPECT_FALSE(zip.ErrDescription().empty());
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"E.ZIP", "N"}));
}

// A file to add that is missing or unnamed still succeeds, leaving the empty
// archive; an archive that cannot be created fails before packing.
TEST(AddFilesToZip, PacksFileZipOrLeavesTheEmptyArchive) {
  const struct {
    std::string file, archive;
    bool result;
    int16_t zipped;
    std::string err_num;
  } kCases[] = {{"in/NAME.SUA", "NAME.ZIP", true, 1, ""},
                {"MISSING.SUA", "NAME.ZIP", true, 0, ""},
                {"", "NAME.ZIP", true, 0, ""},
                {"in/NAME.SUA", "none/NAME.ZIP", false, 0, kMissingFolder}};
  for (const auto& c : kCases) {
    TempFolder folder;
    const std::string data = folder.Write("in/NAME.SUA", testing_zip::Text(50000, 9));
    ZIP_SUA zip;
    zip.SetFileZIP(c.file.empty() ? "" : folder.Path(c.file));
    zip.SetZipFileName(folder.Path(c.archive));
    EXPECT_EQ(zip.AddFilesToZip(), c.result) << c.file;
    EXPECT_EQ(zip.FilesZipped(), c.zipped) << c.file;
    EXPECT_EQ(zip.ErrNum(), c.err_num) << c.file;
    if (!c.result) continue;
    const std::string bytes = ReadAll(zip.ZipFileName());
    const testing_zip::ReadBack back = testing_zip::ReadArchive(bytes);
    ASSERT_EQ(back.entries.size(), static_cast<size_t>(c.zipped));
    EXPECT_TRUE(c.zipped == 1 ? back.entries[0].name + back.entries[0].comment == "NAME.SUA" &&
                                    back.data[0] == ReadAll(folder.Path("in/NAME.SUA"))
                              : bytes == kEmptyArchive);
  }
}

// Errors are recorded, and kept after a later success.
TEST(UnzipToFolder, MissingArchiveOrFolderFailsAndTheErrorIsKept) {
  TempFolder folder;
  ZIP_SUA zip;
  zip.SetZipFileName(folder.Path("none.zip"));
  zip.SetFolderZIP(folder.Root());
  EXPECT_FALSE(zip.UnzipToFolder());
  EXPECT_EQ(zip.ErrNum(), std::to_string(ENOENT)) << "file not found: 2 on every platform";
  zip.SetZipFileName(folder.Write("in.zip", BuildArchive({{"a.txt", "a", ""}})));
  zip.SetFolderZIP(folder.Path("nofolder"));
  EXPECT_FALSE(zip.UnzipToFolder());
  EXPECT_EQ(zip.FilesZipped(), 0);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"in.zip"}));
  const std::string description = zip.ErrDescription();
  EXPECT_FALSE(description.empty());
  zip.SetFolderZIP(folder.Root());
  ASSERT_TRUE(zip.UnzipToFolder());
  EXPECT_EQ(zip.ErrNum(), std::to_string(ENOENT));
  EXPECT_EQ(zip.ErrDescription(), description);
}

#ifndef _WIN32
TEST(UnzipToFolder, LinkAlreadyInTheFolderIsNotFollowed) {
  TempFolder folder;
  std::filesystem::create_directories(fs::ToPath(folder.Path("outside")));
  std::filesystem::create_directories(fs::ToPath(folder.Path("out")));
  std::filesystem::create_directory_symlink("../outside", fs::ToPath(folder.Path("out/link")));
  ZIP_SUA zip;
  zip.SetZipFileName(folder.Write("in.zip", BuildArchive({{"link/evil.txt", "evil", ""}})));
  zip.SetFolderZIP(folder.Path("out"));
  EXPECT_FALSE(zip.UnzipToFolder());
  EXPECT_EQ(zip.ErrNum(), "519");
  EXPECT_TRUE(std::filesystem::is_empty(fs::ToPath(folder.Path("outside"))));
}
#endif

}  // namespace
}  // namespace qeb::zip
