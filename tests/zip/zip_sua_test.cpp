#include "zip/zip_sua.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <filesystem>

#include "zip_test_support.h"

namespace qeb::zip::testing_zip {
namespace {

const std::string kEmptyArchive = std::string("PK\x05\x06", 4) + std::string(18, '\0');
// The platform's own number for a path whose folder does not exist.
#ifdef _WIN32
const std::string kMissingFolder = "3";  // ERROR_PATH_NOT_FOUND
#else
const std::string kMissingFolder = std::to_string(ENOENT);
#endif

// A file to add that is missing or unnamed still succeeds, leaving the empty
// archive in place of an older file; an archive that cannot be created fails
// with the platform's error before packing.
TEST(AddFilesToZip, PacksFileZipOrLeavesTheEmptyArchive) {
  // The file, the archive, the error number.
  // clang-format off
  for (const auto& [file, archive, err_num] : std::vector<std::array<std::string, 3>>{
           {"in/NAME.SUA", "NAME.ZIP", ""}, {"MISSING.SUA", "NAME.ZIP", ""}, {"", "NAME.ZIP", ""},
           {"in/NAME.SUA", "none/NAME.ZIP", kMissingFolder}}) {
    // clang-format on
    TempFolder folder;
    const std::string data = Text(50000, 9);
    folder.Write("in/NAME.SUA", data);
    folder.Write("NAME.ZIP", std::string(1000, 'x'));
    const bool packs = file == "in/NAME.SUA" && err_num.empty();
    ZIP_SUA zip;
    zip.SetFileZIP(file.empty() ? "" : folder.Path(file));
    zip.SetZipFileName(folder.Path(archive));
    EXPECT_EQ(zip.AddFilesToZip(), err_num.empty()) << file;
    EXPECT_EQ(std::to_string(zip.FilesZipped()) + "|" + zip.ErrNum(),
              (packs ? "1|" : "0|") + err_num);
    if (!err_num.empty()) continue;
    const std::string bytes = ReadAll(zip.ZipFileName());
    const ReadBack back = ReadArchive(bytes);
    ASSERT_EQ(back.entries.size(), packs ? 1u : 0u);
    EXPECT_TRUE(packs ? back.entries[0].name + back.entries[0].comment + back.data[0] ==
                            "NAME.SUA" + data
                      : bytes == kEmptyArchive);
  }
}

// Errors are recorded, and kept after a later success.
TEST(UnzipToFolder, MissingArchiveOrFolderFailsAndTheErrorIsKept) {
  TempFolder folder;
  ZIP_SUA zip;
  EXPECT_EQ(zip.FilesZipped(), 0);  // before anything is packed or extracted
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
  EXPECT_EQ(zip.ErrNum() + zip.ErrDescription(), kMissingFolder + description);
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

// Archives other tools make of a tree (files, folders, an empty folder, an
// empty file, a name that is not ASCII) extract into identical files,
// replacing one already there; an empty archive extracts nothing. Every tool
// must be there: none may be passed over.
TEST(UnzipToFolder, OtherToolsArchivesExtractIntoIdenticalFiles) {
  // clang-format off
  const struct {
    std::string tool, command;  // run inside the tree; $A is the archive
  } kPackers[] = {{"zip", "zip -q -r \"$A\" ."}, {"zip", "zip -q -0 -r \"$A\" ."},
                  {"7z", "7z a -tzip \"$A\" . >/dev/null"},
                  {"python3", "python3 -m zipfile -c \"$A\" dir 'Año ñandú.txt' zero.txt empty"},
                  {"python3", "python3 -m zipfile -c \"$A\""}};
  // clang-format on
  for (const auto& p : kPackers) {
    SCOPED_TRACE(p.command);
    TempFolder folder;
    for (const auto& [name, data] :
         std::vector<std::pair<std::string, std::string>>{{"dir/a.txt", Text(40000, 11)},
                                                          {"dir/sub/b.bin", RandomBytes(20000, 12)},
                                                          {"Año ñandú.txt", "utf-8\n"},
                                                          {"zero.txt", ""}})
      folder.Write("tree/" + name, data);
    std::filesystem::create_directories(fs::ToPath(folder.Path("tree/empty")));
    const auto [status, output] = RunTool("A=" + Quote(folder.Path("made.zip")) + "; cd " +
                                          Quote(folder.Path("tree")) + " && " + p.command);
    ASSERT_EQ(status, 0) << output;
    const bool empty = p.command.ends_with("\"$A\"");
    ZIP_SUA zip;
    zip.SetZipFileName(folder.Path("made.zip"));
    zip.SetFolderZIP(folder.Path("out"));
    folder.Write("out/zero.txt", "an older zero.txt");
    EXPECT_TRUE(zip.UnzipToFolder()) << zip.ErrDescription();
    EXPECT_EQ(zip.ErrNum(), "");
    EXPECT_EQ(zip.FilesZipped(), empty ? 0 : 4);
    std::vector<std::string> extracted, expected = {"zero.txt"};
    for (const std::string& item : folder.List()) {
      if (item.starts_with("out/") && item != "out/") extracted.push_back(item.substr(4));
      if (item.starts_with("tree/") && item != "tree/" && !empty)
        expected.push_back(item.substr(5));
    }
    if (!empty) expected.erase(expected.begin());
    EXPECT_EQ(extracted, expected);
    for (const std::string& name : extracted)
      EXPECT_TRUE(name.back() == '/' || empty ||
                  ReadAll(folder.Path("out/" + name)) == ReadAll(folder.Path("tree/" + name)))
          << name;
  }
}
#endif

}  // namespace
}  // namespace qeb::zip::testing_zip
