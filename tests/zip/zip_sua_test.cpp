#include "zip/zip_sua.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "base/file_system.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {
using testing_zip::BuildArchive;
using testing_zip::MemoryEntry;
using testing_zip::ReadAll;
using testing_zip::TempFolder;

const std::string kEmptyArchive = std::string("PK\x05\x06", 4) + std::string(18, '\0');

// The platform's own number for a path whose folder does not exist.
#ifdef _WIN32
constexpr long kMissingFolderError = 3;  // ERROR_PATH_NOT_FOUND
#else
constexpr long kMissingFolderError = ENOENT;
#endif

TEST(CreateEmptyZip, WritesTheEmptyEndRecordReplacingAnyFile) {
  TempFolder folder;
  ZIP_SUA zip;
  const std::string path = folder.Write("E.ZIP", std::string(1000, 'x'));
  EXPECT_TRUE(zip.CreateEmptyZip(path));
  EXPECT_EQ(ReadAll(path), kEmptyArchive);
  EXPECT_TRUE(zip.CreateEmptyZip(folder.Path("NEW.ZIP")));
  EXPECT_EQ(ReadAll(folder.Path("NEW.ZIP")), kEmptyArchive);
  EXPECT_EQ(zip.ErrNum(), "");
}

TEST(CreateEmptyZip, InAMissingFolderFailsWithThePlatformsError) {
  TempFolder folder;
  ZIP_SUA zip;
  EXPECT_FALSE(zip.CreateEmptyZip(folder.Path("none/E.ZIP")));
  EXPECT_EQ(zip.ErrNum(), std::to_string(kMissingFolderError));
  EXPECT_FALSE(zip.ErrDescription().empty());
  EXPECT_TRUE(folder.List().empty());
}

TEST(AddFilesToZip, PacksFileZipIntoZipFileName) {
  TempFolder folder;
  const std::string data = testing_zip::Text(50000, 9);
  ZIP_SUA zip;
  zip.SetFileZIP(folder.Write("in/NAME.SUA", data));
  zip.SetZipFileName(folder.Write("NAME.ZIP", "an older archive"));
  EXPECT_TRUE(zip.AddFilesToZip());
  EXPECT_EQ(zip.FilesZipped(), 1);
  const testing_zip::ReadBack back = testing_zip::ReadArchive(ReadAll(zip.ZipFileName()));
  ASSERT_EQ(back.entries.size(), 1u);
  EXPECT_EQ(back.entries[0].name, "NAME.SUA");
  EXPECT_EQ(back.entries[0].comment, "");
  EXPECT_EQ(back.data[0], data);
  EXPECT_EQ(zip.ErrNum(), "");
}

TEST(AddFilesToZip, MissingOrEmptyFileZipLeavesTheEmptyArchiveAndStillSucceeds) {
  for (const char* file : {"MISSING.SUA", ""}) {
    TempFolder folder;
    ZIP_SUA zip;
    zip.SetFileZIP(*file == '\0' ? "" : folder.Path(file));
    zip.SetZipFileName(folder.Path("NAME.ZIP"));
    EXPECT_TRUE(zip.AddFilesToZip());
    EXPECT_EQ(zip.FilesZipped(), 0);
    EXPECT_EQ(ReadAll(zip.ZipFileName()), kEmptyArchive);
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"NAME.ZIP"}));
    EXPECT_EQ(zip.ErrNum(), "");
  }
}

TEST(AddFilesToZip, ArchiveThatCannotBeCreatedFailsBeforePacking) {
  TempFolder folder;
  ZIP_SUA zip;
  zip.SetFileZIP(folder.Write("NAME.SUA", "data"));
  zip.SetZipFileName(folder.Path("none/NAME.ZIP"));
  EXPECT_FALSE(zip.AddFilesToZip());
  EXPECT_EQ(zip.FilesZipped(), 0);
  EXPECT_EQ(zip.ErrNum(), std::to_string(kMissingFolderError));
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"NAME.SUA"}));
}

TEST(UnzipToFolder, ExtractsFilesAndFoldersAndCountsTopLevelItems) {
  TempFolder folder;
  const std::vector<MemoryEntry> entries{{"dir/", "", ""},
                                         {"dir/a.txt", testing_zip::Text(30000, 1), ""},
                                         {"dir/sub/b.bin", testing_zip::RandomBytes(5000, 2), ""},
                                         {"empty/", "", ""},
                                         {"top.txt", "top", ""},
                                         {"zero.txt", "", ""}};
  ZIP_SUA zip;
  zip.SetZipFileName(folder.Write("in.zip", BuildArchive(entries)));
  zip.SetFolderZIP(folder.Path("out"));
  std::filesystem::create_directory(fs::ToPath(zip.FolderZIP()));
  folder.Write("out/top.txt", "an older top.txt");

  EXPECT_TRUE(zip.UnzipToFolder());

  EXPECT_EQ(zip.FilesZipped(), 4);  // dir, empty, top.txt, zero.txt
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"in.zip", "out/", "out/dir/", "out/dir/a.txt",
                                                     "out/dir/sub/", "out/dir/sub/b.bin",
                                                     "out/empty/", "out/top.txt", "out/zero.txt"}));
  for (const MemoryEntry& entry : entries) {
    if (entry.name.back() == '/') continue;
    EXPECT_EQ(ReadAll(folder.Path("out/" + entry.name)), entry.data);
  }
}

TEST(UnzipToFolder, MissingArchiveOrFolderFails) {
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
}

TEST(ZIP_SUA, ErrorIsKeptAfterALaterSuccess) {
  TempFolder folder;
  ZIP_SUA zip;
  ASSERT_FALSE(zip.CreateEmptyZip(folder.Path("none/E.ZIP")));
  const std::string number = zip.ErrNum();
  const std::string description = zip.ErrDescription();
  zip.SetFileZIP(folder.Write("NAME.SUA", "data"));
  zip.SetZipFileName(folder.Path("NAME.ZIP"));
  ASSERT_TRUE(zip.AddFilesToZip());
  zip.SetFolderZIP(folder.Path(""));
  ASSERT_TRUE(zip.UnzipToFolder());
  EXPECT_EQ(zip.ErrNum(), number);
  EXPECT_EQ(zip.ErrDescription(), description);
}

struct Hostile {
  std::string name;  // the one defect
  std::string archive;
  std::string err_num;
  friend void PrintTo(const Hostile& c, std::ostream* out) { *out << c.name; }
};

Hostile WithName(const std::string& defect, const std::string& entry_name) {
  // A harmless entry first: nothing at all may be written.
  return {defect, BuildArchive({{"good.txt", "good", ""}, {entry_name, "evil", ""}}), "519"};
}

std::string Damaged(size_t offset_from_end_record, char value) {
  std::string bytes = BuildArchive({{"a.txt", testing_zip::Text(4000, 1), ""}});
  bytes[bytes.size() - 22 - offset_from_end_record] ^= value;
  return bytes;
}

class UnzipHostile : public testing::TestWithParam<Hostile> {};

// The archive sits beside the target folder "out"; neither may gain a file.
TEST_P(UnzipHostile, IsRefusedAndWritesNothing) {
  TempFolder folder;
  ZIP_SUA zip;
  zip.SetZipFileName(folder.Write("in.zip", GetParam().archive));
  zip.SetFolderZIP(folder.Path("deep/out"));
  std::filesystem::create_directories(fs::ToPath(zip.FolderZIP()));

  EXPECT_FALSE(zip.UnzipToFolder());

  EXPECT_EQ(zip.ErrNum(), GetParam().err_num);
  EXPECT_FALSE(zip.ErrDescription().empty());
  EXPECT_EQ(zip.FilesZipped(), 0);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"deep/", "deep/out/", "in.zip"}));
}

INSTANTIATE_TEST_SUITE_P(
    Archives, UnzipHostile,
    testing::Values(
        WithName("archive-entry-dotdot", "../evil.txt"),
        WithName("archive-entry-dotdot-deeper", "a/../../evil.txt"),
        WithName("archive-entry-absolute", "/tmp/qeb_zip_evil.txt"),
        WithName("archive-entry-backslash-dotdot", "..\\evil.txt"),
        WithName("archive-entry-backslash-escape", "a\\..\\..\\evil.txt"),
        WithName("archive-entry-drive-letter", "C:\\evil.txt"),
        WithName("archive-entry-drive-relative", "C:evil.txt"),
        WithName("archive-entry-dots-and-blank", ".. /evil.txt"),
        WithName("archive-entry-device-name", "NUL"),
        // 26 bytes before the end record: the entry's CRC in the central record.
        Hostile{"archive-entry-crc-corrupted", Damaged(5 + 46 - 16, '\x5A'), "110"},
        Hostile{"archive-truncated", Damaged(0, '\0').substr(0, 100), "519"},
        Hostile{"archive-entry-encrypted",
                [] {
                  std::string bytes = BuildArchive({{"good.txt", "good", ""}, {"b.txt", "b", ""}});
                  bytes[6 + 30 + 8 + 4] |= 1;                    // local flags of b.txt
                  bytes[bytes.size() - 22 - (46 + 5) + 8] |= 1;  // central flags
                  return bytes;
                }(),
                "140"}),
    [](const testing::TestParamInfo<Hostile>& info) {
      std::string name = info.param.name;
      for (char& c : name)
        if (c == '-') c = '_';
      return name;
    });

#ifndef _WIN32
TEST(UnzipToFolder, LinkAlreadyInTheFolderIsNotFollowed) {
  TempFolder folder;
  std::filesystem::create_directories(fs::ToPath(folder.Path("out")));
  std::filesystem::create_directories(fs::ToPath(folder.Path("outside")));
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
