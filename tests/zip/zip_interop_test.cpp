// Archives the component writes are read by Info-ZIP unzip and zipinfo,
// 7-Zip, bsdtar and Python's zipfile; archives they write are extracted here.
// The tools exist only on the native build: a missing tool skips its test.

#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_system.h"
#include "tools/sua_sample.h"
#include "zip/zip_sua.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {
using testing_zip::Fill;
using testing_zip::Quote;
using testing_zip::RunTool;
using testing_zip::TempFolder;

struct Sample {
  std::string name;
  std::string (*make)();  // made when the test runs, not when the suite is listed
  std::string method;
  friend void PrintTo(const Sample& c, std::ostream* out) { *out << c.name; }
};

struct Reader {
  std::string tool;
  std::string command;   // ARCHIVE and SOURCE are replaced by their paths
  std::string expected;  // and NAME, ARCHIVE, COMMENT (hexadecimal), METHOD by their values
  friend void PrintTo(const Reader& c, std::ostream* out) { *out << c.tool; }
};

const char* const kPythonCheck = R"(
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z:
    i = z.infolist()[0]
    print(len(z.infolist()), i.filename, i.comment.hex(), i.flag_bits & 0x800, i.compress_type,
          z.testzip(), z.read(i) == open(sys.argv[2], 'rb').read())
)";

// The name and data of the entry, its comment byte for byte, no UTF-8 flag.
const Reader kReaders[] = {
    {"unzip", "unzip -Z1 ARCHIVE && unzip -tq ARCHIVE && unzip -p ARCHIVE | cmp - SOURCE",
     "NAME\nNo errors detected in compressed data of ARCHIVE.\n"},
    {"zipinfo",
     "zipinfo -v ARCHIVE | sed -n '/file comment begins/,/file comment ends/p' | sed '1d;$d' | "
     "od -An -v -tx1 | tr -d ' \\n'",
     "COMMENT0a"},
    {"7z",
     "7z t ARCHIVE | grep -a 'Everything is Ok' && 7z x -so ARCHIVE | cmp - SOURCE && "
     "7z l -slt ARCHIVE | grep -a '^Path = ' | tail -n 1",
     "Everything is Ok\nPath = NAME\n"},
    {"bsdtar", "bsdtar -tf ARCHIVE && bsdtar -xOf ARCHIVE | cmp - SOURCE", "NAME\n"},
    {"python3", "python3 -c " + Quote(kPythonCheck) + " ARCHIVE SOURCE",
     "1 NAME COMMENT 0 METHOD None True\n"},
};

// The last two make many deflate blocks, deflated on several threads: a
// joined SUA file of 15 diskettes, and text with stretches of noise.
const Sample kSamples[] = {
    {"NAME.SUA", [] { return testing_zip::Text(300000, 4); }, "8"},
    {"RANDOM.SUA", [] { return testing_zip::RandomBytes(100000, 5); }, "0"},
    {"EMPTY.SUA", [] { return std::string(); }, "0"},
    {"ñ0307379.sua", [] { return std::string("contenido\r\n"); }, "0"},
    {"JOINED.SUA", [] { return sample::MakeSuaData("ABCD1234", 25'000, 11, 15); }, "8"},
    {"NOISY.SUA", [] { return testing_zip::Mixed(4'500'000, 40); }, "8"}};

class OurArchive : public testing::TestWithParam<std::tuple<Sample, Reader>> {};

TEST_P(OurArchive, ReadsBackInEveryTool) {
  const auto& [sample, reader] = GetParam();
  REQUIRE_TOOL(reader.tool);
  TempFolder folder;
  const std::string source = folder.Write("in/" + sample.name, sample.make());
  const std::string archive = folder.Path("OUT.ZIP");
  ASSERT_EQ(testing_zip::Pack(source, archive).code, 0);
  const testing_zip::ToolResult result =
      RunTool(Fill(reader.command, {{"ARCHIVE", Quote(archive)}, {"SOURCE", Quote(source)}}));
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(result.output,
            Fill(reader.expected, {{"NAME", sample.name},
                                   {"ARCHIVE", archive},
                                   {"COMMENT", testing_zip::Hex(testing_zip::ScrambledClave())},
                                   {"METHOD", sample.method}}));
}

INSTANTIATE_TEST_SUITE_P(Tools, OurArchive,
                         testing::Combine(testing::ValuesIn(kSamples), testing::ValuesIn(kReaders)),
                         [](const testing::TestParamInfo<OurArchive::ParamType>& info) {
                           return "Sample" + std::to_string(info.index / std::size(kReaders)) +
                                  "_" + std::get<1>(info.param).tool;
                         });

// Every packer gets this tree: files, folders, an empty folder, an empty file
// and a name that is not ASCII.
const std::vector<std::pair<std::string, std::string>> kTree{
    {"dir/a.txt", testing_zip::Text(40000, 11)},
    {"dir/sub/b.bin", testing_zip::RandomBytes(20000, 12)},
    {"Año ñandú.txt", "utf-8\n"},
    {"zero.txt", ""}};

// Packs the tree stored or deflated, or writes an empty archive, or one whose
// second entry is hostile.
const char* const kPython = R"(
import os, sys, zipfile
archive, kind = sys.argv[1:3]
with zipfile.ZipFile(archive, 'w', zipfile.ZIP_STORED if kind == 'stored' else 8) as z:
    for folder, dirs, files in sorted(os.walk('.')) if kind in ('stored', 'deflate') else []:
        if folder != '.':
            z.write(folder, os.path.relpath(folder) + '/')
        for name in sorted(files):
            z.write(os.path.join(folder, name), os.path.normpath(os.path.join(folder, name)))
    if kind not in ('stored', 'deflate', 'empty'):
        z.writestr('good.txt', 'good')
        z.writestr({'dotdot': '../evil.txt', 'absolute': '/tmp/qeb_zip_evil.txt'}.get(kind, 'a'), 'x' * 5000)
data = bytearray(open(archive, 'rb').read())
if kind == 'crc':
    data[data.rfind(b'PK\x01\x02') + 16] ^= 0xFF
open(archive, 'wb').write(bytes(data[:-30] if kind == 'truncated' else data))
)";

struct Packer {
  std::string name;
  std::string tool;
  std::string command;  // run inside the tree; ARCHIVE is replaced
  int16_t items;        // at the top
  std::string err_num = "";
  std::vector<std::string> kept = {};  // complete entries before the bad one stay
  friend void PrintTo(const Packer& c, std::ostream* out) { *out << c.name; }
};

class OtherToolsArchive : public testing::TestWithParam<Packer> {};

// Extracted into identical files (replacing one already there), or refused
// leaving nothing but the complete entries before the bad one.
TEST_P(OtherToolsArchive, ExtractsIntoIdenticalFilesOrIsRefused) {
  REQUIRE_TOOL(GetParam().tool);
  TempFolder folder;
  for (const auto& [name, data] : kTree) folder.Write("tree/" + name, data);
  std::filesystem::create_directories(fs::ToPath(folder.Path("tree/empty")));
  const std::string archive = folder.Path("made.zip");
  const testing_zip::ToolResult made =
      RunTool("cd " + Quote(folder.Path("tree")) + " && " +
              Fill(GetParam().command, {{"ARCHIVE", Quote(archive)}}));
  ASSERT_EQ(made.status, 0) << made.output;

  ZIP_SUA zip;
  zip.SetZipFileName(archive);
  zip.SetFolderZIP(folder.Path("out"));
  if (GetParam().items > 0) folder.Write("out/zero.txt", "an older zero.txt");
  std::filesystem::create_directory(fs::ToPath(zip.FolderZIP()));
  EXPECT_EQ(zip.UnzipToFolder(), GetParam().err_num.empty()) << zip.ErrDescription();
  EXPECT_EQ(zip.ErrNum(), GetParam().err_num);
  EXPECT_EQ(zip.FilesZipped(), GetParam().items);

  std::vector<std::string> extracted;
  std::vector<std::string> expected = GetParam().kept;
  for (const std::string& item : folder.List()) {
    if (item.starts_with("out/") && item != "out/") extracted.push_back(item.substr(4));
    if (item.starts_with("tree/") && item != "tree/" && GetParam().items > 0)
      expected.push_back(item.substr(5));
  }
  EXPECT_EQ(extracted, expected);
  for (const std::string& name : extracted) {
    EXPECT_TRUE(name.back() == '/' || GetParam().items == 0 ||
                testing_zip::ReadAll(folder.Path("out/" + name)) ==
                    testing_zip::ReadAll(folder.Path("tree/" + name)))
        << name;
  }
  EXPECT_FALSE(testing_zip::Exists("/tmp/qeb_zip_evil.txt"));
}

const std::string kPy = "python3 -c " + Quote(kPython) + " ARCHIVE ";

INSTANTIATE_TEST_SUITE_P(
    Tools, OtherToolsArchive,
    testing::Values(
        Packer{"InfoZipDeflate", "zip", "zip -q -r ARCHIVE .", 4},
        Packer{"InfoZipStored", "zip", "zip -q -0 -r ARCHIVE .", 4},
        Packer{"SevenZip", "7z", "7z a -tzip ARCHIVE . >/dev/null", 4},
        Packer{"PythonStored", "python3", kPy + "stored", 4},
        Packer{"PythonDeflate", "python3", kPy + "deflate", 4},
        Packer{"PythonEmpty", "python3", kPy + "empty", 0},
        Packer{"PythonDotdot", "python3", kPy + "dotdot", 0, "519"},
        Packer{"PythonAbsolute", "python3", kPy + "absolute", 0, "519"},
        Packer{"PythonTruncated", "python3", kPy + "truncated", 0, "519"},
        Packer{"PythonLastCrcCorrupted", "python3", kPy + "crc", 0, "110", {"good.txt"}},
        Packer{"InfoZipEncrypted", "zip", "zip -q -P clave ARCHIVE zero.txt", 0, "140"}),
    [](const testing::TestParamInfo<Packer>& info) { return info.param.name; });

}  // namespace
}  // namespace qeb::zip
