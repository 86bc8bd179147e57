// Archives written here are read by Info-ZIP unzip/zipinfo, Python's zipfile,
// 7-Zip and bsdtar; archives written by them are extracted here. The tools
// exist only on the native build: a missing tool skips its test.

#include <gtest/gtest.h>

#include "zip/cifra_xor.h"
#include "zip/zip_component.h"
#include "zip/zip_sua.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {
using testing_zip::Packed;
using testing_zip::Quote;
using testing_zip::ReadAll;
using testing_zip::RunPython;
using testing_zip::RunTool;
using testing_zip::TempFolder;

constexpr const char* kClave = "0123456789ABCDEFGHI";

// The file comment zipinfo -v prints between its marker lines.
std::string ZipinfoComment(const std::string& output) {
  const size_t begins = output.find("file comment begins");
  const size_t start = output.find('\n', begins);
  const size_t ends = output.find("file comment ends", start);
  if (begins == std::string::npos || start == std::string::npos || ends == std::string::npos)
    return "<none>";
  const size_t end = output.rfind('\n', ends);
  return output.substr(start + 1, end - start - 1);
}

Packed PackSample(const TempFolder& folder, const std::string& name, const std::string& data) {
  return testing_zip::PackWithComponent(folder, name, data, kClave);
}

struct Sample {
  std::string name;
  std::string data;
  friend void PrintTo(const Sample& sample, std::ostream* out) { *out << sample.name; }
};

class OurArchive : public testing::TestWithParam<Sample> {
 protected:
  void SetUp() override { w = PackSample(folder_, GetParam().name, GetParam().data); }

  TempFolder folder_;
  Packed w;
};

TEST_P(OurArchive, PassesUnzipTest) {
  REQUIRE_TOOL("unzip");
  const testing_zip::ToolResult result = RunTool("unzip -t " + Quote(w.archive));
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("No errors detected"), std::string::npos) << result.output;
}

TEST_P(OurArchive, ShowsItsCommentInZipinfo) {
  REQUIRE_TOOL("zipinfo");
  const testing_zip::ToolResult result = RunTool("zipinfo -v " + Quote(w.archive));
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(ZipinfoComment(result.output), w.comment) << result.output;
}

TEST_P(OurArchive, ReadsBackInPythonZipfile) {
  REQUIRE_TOOL("python3");
  const testing_zip::ToolResult result = testing_zip::CheckWithPython(w, GetParam().name);
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(result.output, "OK\n");
}

TEST_P(OurArchive, Passes7zTest) {
  REQUIRE_TOOL("7z");
  const testing_zip::ToolResult result = RunTool("7z t " + Quote(w.archive));
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("Everything is Ok"), std::string::npos) << result.output;
}

TEST_P(OurArchive, ListsInBsdtar) {
  REQUIRE_TOOL("bsdtar");
  const testing_zip::ToolResult result = RunTool("LC_ALL=C.UTF-8 bsdtar -tf " + Quote(w.archive));
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(result.output, GetParam().name + "\n");
  const testing_zip::ToolResult content =
      RunTool("LC_ALL=C.UTF-8 bsdtar -xOf " + Quote(w.archive) + " | cmp - " + Quote(w.source));
  EXPECT_EQ(content.status, 0) << content.output;
}

INSTANTIATE_TEST_SUITE_P(Samples, OurArchive,
                         testing::Values(Sample{"NAME.SUA", testing_zip::Text(300000, 4)},
                                         Sample{"RANDOM.SUA", testing_zip::RandomBytes(100000, 5)},
                                         Sample{"EMPTY.SUA", ""},
                                         Sample{"Año ñandú.SUA", "con nombre UTF-8\r\n"}),
                         [](const testing::TestParamInfo<Sample>& info) {
                           return "Sample" + std::to_string(info.index);
                         });

// A joined file named after an employer whose initial is not ASCII. Every
// reader shows the true name, and the comment reaches Python as the very
// bytes written: the UTF-8 flag, which would declare the code-page comment
// UTF-8, stays clear.
struct NameReader {
  std::string name;
  std::string tool;
  std::string command;   // ARCHIVE is replaced by the archive's path
  std::string expected;  // and COMMENT by the comment's hexadecimal digits
  bool whole;            // the whole output, or a line of it
  friend void PrintTo(const NameReader& c, std::ostream* out) { *out << c.name; }
};

std::string Replaced(std::string text, const std::string& marker, const std::string& value) {
  if (const size_t at = text.find(marker); at != std::string::npos)
    text.replace(at, marker.size(), value);
  return text;
}

class NonAsciiName : public testing::TestWithParam<NameReader> {};

TEST_P(NonAsciiName, EveryReaderShowsItAndTheCommentStaysAsWritten) {
  const NameReader& reader = GetParam();
  REQUIRE_TOOL(reader.tool);
  TempFolder folder;
  const Packed packed = PackSample(folder, "ñ0307379.sua", "contenido\r\n");
  const std::string expected = Replaced(Replaced(reader.expected, "ARCHIVE", packed.archive),
                                        "COMMENT", testing_zip::Hex(packed.comment));
  const testing_zip::ToolResult result =
      RunTool("LC_ALL=C.UTF-8 " + Replaced(reader.command, "ARCHIVE", Quote(packed.archive)));
  EXPECT_EQ(result.status, 0) << result.output;
  if (reader.whole)
    EXPECT_EQ(result.output, expected);
  else
    EXPECT_NE(("\n" + result.output).find("\n" + expected + "\n"), std::string::npos)
        << result.output;
}

const char* const kPythonList = R"(
import sys, zipfile
for i in zipfile.ZipFile(sys.argv[1]).infolist():
    print(i.filename, i.comment.hex(), i.flag_bits & 0x800)
)";

INSTANTIATE_TEST_SUITE_P(
    Readers, NonAsciiName,
    testing::Values(NameReader{"UnzipList", "unzip", "unzip -Z1 ARCHIVE", "ñ0307379.sua\n", true},
                    NameReader{"UnzipTest", "unzip", "unzip -t ARCHIVE",
                               "No errors detected in compressed data of ARCHIVE.", false},
                    NameReader{"SevenZip", "7z", "7z l -slt ARCHIVE", "Path = ñ0307379.sua", false},
                    NameReader{"Bsdtar", "bsdtar", "bsdtar -tf ARCHIVE", "ñ0307379.sua\n", true},
                    NameReader{"Python", "python3", "python3 -c " + Quote(kPythonList) + " ARCHIVE",
                               "ñ0307379.sua COMMENT 0\n", true}),
    [](const testing::TestParamInfo<NameReader>& info) { return info.param.name; });

// The tree every outside tool packs: files, folders, an empty folder, an
// empty file and a UTF-8 name.
struct Tree {
  std::vector<std::pair<std::string, std::string>> files{
      {"dir/a.txt", testing_zip::Text(40000, 11)},
      {"dir/sub/b.bin", testing_zip::RandomBytes(20000, 12)},
      {"Año ñandú.txt", "utf-8\n"},
      {"zero.txt", ""}};
  std::vector<std::string> folders{"empty"};

  void WriteInto(const TempFolder& folder, const std::string& under) const {
    for (const auto& [name, data] : files) folder.Write(under + "/" + name, data);
    for (const std::string& name : folders)
      std::filesystem::create_directories(fs::ToPath(folder.Path(under + "/" + name)));
  }
};

const char* const kPythonPack = R"(
import os, sys, zipfile
root, archive, method = sys.argv[1:4]
compression = zipfile.ZIP_STORED if method == 'stored' else zipfile.ZIP_DEFLATED
with zipfile.ZipFile(archive, 'w', compression) as z:
    for folder, dirs, files in sorted(os.walk(root)):
        rel = os.path.relpath(folder, root)
        if rel != '.':
            z.write(folder, rel + '/')
        for name in sorted(files):
            z.write(os.path.join(folder, name), os.path.normpath(os.path.join(rel, name)))
)";

struct Packer {
  std::string name;
  std::string tool;
  std::string command;  // run inside the tree; ARCHIVE is replaced
  friend void PrintTo(const Packer& c, std::ostream* out) { *out << c.name; }
};

class OtherToolsArchive : public testing::TestWithParam<Packer> {};

TEST_P(OtherToolsArchive, ExtractsIntoIdenticalFiles) {
  REQUIRE_TOOL(GetParam().tool);
  TempFolder folder;
  const Tree tree;
  tree.WriteInto(folder, "tree");
  const std::string archive = folder.Path("made.zip");
  std::string command = GetParam().command;
  command.replace(command.find("ARCHIVE"), 7, Quote(archive));
  const testing_zip::ToolResult made =
      RunTool("cd " + Quote(folder.Path("tree")) + " && LC_ALL=C.UTF-8 " + command);
  ASSERT_EQ(made.status, 0) << made.output;

  ZIP_SUA zip;
  zip.SetZipFileName(archive);
  zip.SetFolderZIP(folder.Path("out"));
  std::filesystem::create_directory(fs::ToPath(zip.FolderZIP()));
  ASSERT_TRUE(zip.UnzipToFolder()) << zip.ErrNum() << " " << zip.ErrDescription();

  EXPECT_EQ(zip.FilesZipped(), 4);  // dir, empty, Año ñandú.txt, zero.txt
  for (const auto& [name, data] : tree.files)
    EXPECT_EQ(ReadAll(folder.Path("out/" + name)), data) << name;
  std::vector<std::string> extracted;
  std::vector<std::string> packed;
  for (const std::string& item : folder.List()) {
    if (item.starts_with("out/")) extracted.push_back(item.substr(4));
    if (item.starts_with("tree/")) packed.push_back(item.substr(5));
  }
  EXPECT_EQ(extracted, packed);
}

INSTANTIATE_TEST_SUITE_P(
    Tools, OtherToolsArchive,
    testing::Values(Packer{"InfoZipDeflate", "zip", "zip -q -r ARCHIVE ."},
                    Packer{"InfoZipStored", "zip", "zip -q -0 -r ARCHIVE ."},
                    Packer{"SevenZip", "7z", "7z a -tzip ARCHIVE . >/dev/null"},
                    Packer{"PythonStored", "python3",
                           "python3 -c " + Quote(kPythonPack) + " . ARCHIVE stored"},
                    Packer{"PythonDeflate", "python3",
                           "python3 -c " + Quote(kPythonPack) + " . ARCHIVE deflate"}),
    [](const testing::TestParamInfo<Packer>& info) { return info.param.name; });

TEST(OtherToolsArchive, EmptyPythonArchiveExtractsNothing) {
  REQUIRE_TOOL("python3");
  TempFolder folder;
  const std::string archive = folder.Path("empty.zip");
  ASSERT_EQ(RunPython("import sys, zipfile\nzipfile.ZipFile(sys.argv[1], 'w').close()\n", {archive})
                .status,
            0);
  ZIP_SUA zip;
  zip.SetZipFileName(archive);
  zip.SetFolderZIP(folder.Path("out"));
  std::filesystem::create_directory(fs::ToPath(zip.FolderZIP()));
  EXPECT_TRUE(zip.UnzipToFolder());
  EXPECT_EQ(zip.FilesZipped(), 0);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"empty.zip", "out/"}));
}

const char* const kPythonHostile = R"(
import sys, zipfile
archive, kind = sys.argv[1:3]
with zipfile.ZipFile(archive, 'w', zipfile.ZIP_DEFLATED) as z:
    z.writestr('good.txt', 'good')
    if kind == 'dotdot':
        z.writestr('../evil.txt', 'evil')
    elif kind == 'absolute':
        z.writestr('/tmp/qeb_zip_absolute_evil.txt', 'evil')
    else:
        z.writestr('a.txt', 'x' * 5000)
data = bytearray(open(archive, 'rb').read())
if kind == 'crc':
    at = data.rfind(b'PK\x01\x02')
    data[at + 16] ^= 0xFF
elif kind == 'truncated':
    data = data[:len(data) - 30]
open(archive, 'wb').write(bytes(data))
)";

struct HostileCase {
  std::string kind;
  std::string err_num;
  friend void PrintTo(const HostileCase& c, std::ostream* out) { *out << c.kind; }
};

class PythonHostileArchive : public testing::TestWithParam<HostileCase> {};

TEST_P(PythonHostileArchive, IsRefusedWritingNothing) {
  REQUIRE_TOOL("python3");
  TempFolder folder;
  const std::string archive = folder.Path("hostile.zip");
  ASSERT_EQ(RunPython(kPythonHostile, {archive, GetParam().kind}).status, 0);
  ZIP_SUA zip;
  zip.SetZipFileName(archive);
  zip.SetFolderZIP(folder.Path("a/b/out"));
  std::filesystem::create_directories(fs::ToPath(zip.FolderZIP()));

  EXPECT_FALSE(zip.UnzipToFolder());
  EXPECT_EQ(zip.ErrNum(), GetParam().err_num) << zip.ErrDescription();
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"a/", "a/b/", "a/b/out/", "hostile.zip"}));
  EXPECT_FALSE(testing_zip::Exists("/tmp/qeb_zip_absolute_evil.txt"));
}

INSTANTIATE_TEST_SUITE_P(Kinds, PythonHostileArchive,
                         testing::Values(HostileCase{"dotdot", "519"},
                                         HostileCase{"absolute", "519"},
                                         HostileCase{"truncated", "519"}),
                         [](const testing::TestParamInfo<HostileCase>& info) {
                           return info.param.kind;
                         });

// The corrupted entry is the last one: the one before it is complete and
// stays, the bad one leaves no file, not even a partial one.
TEST(PythonHostileArchive, CorruptedCrcLeavesNoFileOfThatEntry) {
  REQUIRE_TOOL("python3");
  TempFolder folder;
  const std::string archive = folder.Path("hostile.zip");
  ASSERT_EQ(RunPython(kPythonHostile, {archive, "crc"}).status, 0);
  ZIP_SUA zip;
  zip.SetZipFileName(archive);
  zip.SetFolderZIP(folder.Path("out"));
  std::filesystem::create_directory(fs::ToPath(zip.FolderZIP()));
  EXPECT_FALSE(zip.UnzipToFolder());
  EXPECT_EQ(zip.ErrNum(), "110");
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"hostile.zip", "out/", "out/good.txt"}));
}

TEST(InfoZipEncryptedArchive, IsRefusedWritingNothing) {
  REQUIRE_TOOL("zip");
  TempFolder folder;
  folder.Write("in/secret.txt", "secret");
  const std::string archive = folder.Path("enc.zip");
  ASSERT_EQ(RunTool("cd " + Quote(folder.Path("in")) + " && zip -q -P clave " + Quote(archive) +
                    " secret.txt")
                .status,
            0);
  ZIP_SUA zip;
  zip.SetZipFileName(archive);
  zip.SetFolderZIP(folder.Path("out"));
  std::filesystem::create_directory(fs::ToPath(zip.FolderZIP()));
  EXPECT_FALSE(zip.UnzipToFolder());
  EXPECT_EQ(zip.ErrNum(), "140");
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"enc.zip", "in/", "in/secret.txt", "out/"}));
}

}  // namespace
}  // namespace qeb::zip
