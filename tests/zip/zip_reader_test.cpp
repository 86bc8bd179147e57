#include "zip/zip_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <optional>
#include <sstream>
#include <tuple>

#include "base/file_system.h"
#include "zip/byte_cursor.h"
#include "zip/entry_name.h"
#include "zip/safe_path.h"
#include "zip/zip_errors.h"
#include "zip/zip_sua.h"
#include "zip_test_support.h"

namespace qeb::zip::testing_zip {
namespace {

// Two entries: "a.txt" deflated, then "b.bin" stored, whose data ends where
// the central directory begins.
const std::string& Sample() {
  static const std::string bytes =
      BuildArchive({{"a.txt", Text(20000, 5), "uno"}, {"b.bin", RandomBytes(3000, 6), ""}});
  return bytes;
}

// Where an edit of the sample goes: a record of either entry, or the end.
enum Spot { kStart, kL0, kL1, kD0, kD1, kC0, kC1, kEnd };  // local header, data, central header
enum Op { kSet8, kXor8, kPut16, kPut32, kAdd32, kCut, kInsert, kName };  // kName: the second's
struct Edit {
  Spot spot;
  size_t at;
  Op op;
  uint32_t value = 0;
  std::string bytes = {};  // inserted, or the new name
};
// Found on opening, on extracting in memory, or (the reader taking the
// archive) when extracting into a folder.
enum Stage { kOpen, kExtract, kFolder };
using enum ZipDefect;
const std::string kLocator = std::string("PK\x06\x07", 4) + std::string(16, '\0');

const struct Broken {
  std::string name;  // the one defect
  std::vector<Edit> edits;
  ZipDefect defect;
  int code;  // ZIP_SUA's ErrNum
  Stage stage = kOpen;
  bool keeps_a = false;  // a.txt, complete before the defect, stays in the folder
} kBroken[] = {
    {"end-missing", {{kEnd, 0, kSet8, 'X'}}, kNoEndRecord, 519},
    {"cut-short", {{kD1, 0, kCut}}, kNoEndRecord, 519},
    {"shorter-than-an-end", {{kStart, 21, kCut}}, kNoEndRecord, 519},
    {"directory-offset-past-end", {{kEnd, 16, kPut32, 1 << 30}}, kTruncated, 160},
    {"directory-one-byte-long", {{kEnd, 12, kAdd32, 1}}, kTruncated, 160},
    // clang-format off
    {"count-past-directory",  // an archive comment follows: what it reads there is no header
     {{kEnd, 8, kPut16, 3}, {kEnd, 10, kPut16, 3}, {kEnd, 20, kPut16, 46},
      {kEnd, 22, kInsert, 0, std::string(46, 'c')}}, kTruncated, 160},
    // clang-format on
    {"local-header-into-directory", {{kC1, 42, kAdd32, 3006}}, kTruncated, 160},
    {"local-header-past-end", {{kC1, 42, kPut32, 1 << 30}}, kTruncated, 160},
    {"stored-data-into-directory", {{kC1, 20, kAdd32, 1}}, kTruncated, 160},
    {"data-before-end", {{kEnd, 0, kInsert, 0, "junk"}}, kInconsistent, 110},
    {"local-signature-broken", {{kL1, 0, kSet8, 'Q'}}, kBadSignature, 110},
    {"central-signature-broken", {{kC1, 1, kSet8, 'Q'}}, kBadSignature, 110},
    {"local-name-differs", {{kL1, 30, kSet8, 'z'}}, kInconsistent, 110},
    {"entries-overlap", {{kC0, 20, kAdd32, 1}}, kInconsistent, 110},
    {"count-short", {{kEnd, 8, kPut16, 1}, {kEnd, 10, kPut16, 1}}, kInconsistent, 110},
    {"count-zip64", {{kEnd, 8, kPut16, 0xFFFF}, {kEnd, 10, kPut16, 0xFFFF}}, kZip64, 140},
    {"size-zip64", {{kC0, 24, kPut32, 0xFFFFFFFF}}, kZip64, 140},
    {"offset-zip64", {{kC1, 42, kPut32, 0xFFFFFFFF}}, kZip64, 140},
    {"directory-size-zip64", {{kEnd, 12, kPut32, 0xFFFFFFFF}}, kZip64, 140},
    {"directory-offset-zip64", {{kEnd, 16, kPut32, 0xFFFFFFFF}}, kZip64, 140},
    {"zip64-locator", {{kEnd, 12, kAdd32, 20}, {kEnd, 0, kInsert, 0, kLocator}}, kZip64, 140},
    {"end-on-second-disk", {{kEnd, 4, kPut16, 1}}, kMultiDisk, 410},
    {"entry-on-second-disk", {{kC1, 34, kPut16, 1}}, kMultiDisk, 410},
    {"central-method-differs", {{kC0, 10, kPut16, 0}}, kInconsistent, 110},
    {"bad-utf8", {{kC1, 9, kXor8, 8}, {kC1, 46, kSet8, 0xC0}}, kBadName, 519},
    {"encrypted", {{kL1, 6, kXor8, 1}, {kC1, 8, kXor8, 1}}, kEncrypted, 140, kExtract},
    {"bzip2", {{kL0, 8, kPut16, 12}, {kC0, 10, kPut16, 12}}, kUnsupportedMethod, 140, kExtract},
    {"crc-corrupted", {{kC0, 16, kXor8, 0x55}}, kCrcMismatch, 110, kExtract},
    {"stored-data-corrupted", {{kD1, 100, kXor8, 1}}, kCrcMismatch, 110, kExtract, true},
    {"deflate-stream-broken", {{kD0, 0, kSet8, 0xFF}}, kBadCompressedData, 110, kExtract},
    {"size-understated", {{kC0, 24, kPut32, 19999}}, kSizeMismatch, 110, kExtract},
    {"size-overstated", {{kC0, 24, kPut32, 20001}}, kSizeMismatch, 110, kExtract},
    {"stored-sizes-differ", {{kC1, 24, kPut32, 2999}}, kSizeMismatch, 110, kExtract, true},
    {"dotdot", {{kStart, 0, kName, 0, "../bb"}}, kUnsafeName, 519, kFolder},
    {"absolute", {{kStart, 0, kName, 0, "/b.bi"}}, kUnsafeName, 519, kFolder},
    {"backslash-dotdot", {{kStart, 0, kName, 0, "..\\bb"}}, kUnsafeName, 519, kFolder},
    {"drive-letter", {{kStart, 0, kName, 0, "C:\\bb"}}, kUnsafeName, 519, kFolder},
    {"device-name", {{kStart, 0, kName, 0, "nul.b"}}, kUnsafeName, 519, kFolder},
    {"dots-and-blank", {{kStart, 0, kName, 0, ".. /b"}}, kUnsafeName, 519, kFolder},
};

size_t Where(const std::string& b, Spot spot) {
  const size_t end = b.size() - 22, central0 = Get(b, end + 16, 4);
  const size_t central1 = central0 + 46 + Get(b, central0 + 28, 2) + Get(b, central0 + 30, 2) +
                          Get(b, central0 + 32, 2);
  const size_t local1 = Get(b, central1 + 42, 4);
  return std::vector<size_t>{0,           0,        local1,   30u + Get(b, 26, 2),
                             local1 + 35, central0, central1, end}[spot];
}

// The reader finds the defect where expected; ZIP_SUA refuses the archive
// with its code, and writes nothing but the complete entries before it.
TEST(ZipReader, BrokenArchiveIsRefusedWithItsDefect) {
  for (const Broken& c : kBroken) {
    SCOPED_TRACE(c.name);
    std::string b = Sample();
    for (const Edit& e : c.edits) {
      const size_t at = Where(Sample(), e.spot) + e.at;
      if (e.op == kSet8) b[at] = static_cast<char>(e.value);
      if (e.op == kXor8) b[at] ^= static_cast<char>(e.value);
      if (e.op == kPut16 || e.op == kPut32) Put(b, at, e.op == kPut16 ? 2 : 4, e.value);
      if (e.op == kAdd32) Put(b, at, 4, Get(b, at, 4) + e.value);
      if (e.op == kCut) b.resize(at);
      if (e.op == kInsert) b.insert(at, e.bytes);
      for (const auto& [spot, offset] : {std::pair{kL1, 30}, {kC1, 46}})
        if (e.op == kName) b.replace(Where(Sample(), spot) + offset, 5, e.bytes);
    }
    MemoryArchive input({reinterpret_cast<const uint8_t*>(b.data()), b.size()});
    Stage stage = kOpen;
    std::optional<ZipDefect> defect;
    try {
      ZipReader reader(input);
      stage = kExtract;  // NOLINT(clang-analyzer-deadcode.DeadStores): read when Extract throws
      for (const ZipEntry& entry : reader.entries()) {
        StringSink sink;
        reader.Extract(entry, sink);
      }
      stage = kFolder;
    } catch (const ZipFormatError& error) {
      defect = error.defect();
      if (c.name == "deflate-stream-broken")
        EXPECT_STREQ(error.what(),
                     "Los datos comprimidos de la entrada están dañados: invalid block type");
    }
    EXPECT_EQ(stage, c.stage);
    EXPECT_EQ(defect, c.stage == kFolder ? std::nullopt : std::optional(c.defect));

    TempFolder folder;
    ZIP_SUA zip;
    zip.SetZipFileName(folder.Write("in.zip", b));
    zip.SetFolderZIP(folder.Path("out"));
    std::filesystem::create_directory(fs::ToPath(zip.FolderZIP()));
    EXPECT_FALSE(zip.UnzipToFolder());
    EXPECT_EQ(zip.ErrNum(), std::to_string(c.code)) << zip.ErrDescription();
    const std::vector<std::string> kept{"in.zip", "out/", "out/a.txt"};
    EXPECT_EQ(folder.List(), std::vector(kept.begin(), kept.end() - !c.keeps_a));
    EXPECT_FALSE(Exists("/b.bi"));  // nor outside the folder
  }
}

// A deflate stream of 32769 bytes: after a full read of 32768 its last byte
// comes alone.
TEST(ZipReader, InflatesAStreamWhoseLastReadIsOneByte) {
  const std::string data = RandomBytes(32764, 9);
  // One final stored block: its header, LEN 32764 and LEN's complement.
  std::string b = BuildArchive({{"s", std::string("\x01\xFC\x7F\x03\x80", 5) + data, ""}});
  const auto crc = crc32(0, reinterpret_cast<const Bytef*>(data.data()), 32764);
  for (const size_t header : {size_t{0}, size_t{Get(b, b.size() - 6, 4)} + 2}) {  // local, central
    Put(b, header + 8, 2, 8);                                                     // deflated
    Put(b, header + 14, 4, static_cast<uint32_t>(crc));
    Put(b, header + 22, 4, 32764);
  }
  EXPECT_TRUE(ReadArchive(b).data.at(0) == data);
}

// An end-record signature in the last 21 bytes (here the archive comment's)
// leaves no room for the record: it is passed over.
TEST(ZipReader, PassesOverASignatureTooNearTheEndToBeARecord) {
  std::string b = Sample();
  Put(b, b.size() - 2, 2, 21);
  b += std::string("PK\x05\x06", 4) + std::string(17, '\0');
  EXPECT_EQ(ReadArchive(b).entries.size(), 2u);
}

// A comment longer than its 16-bit field is refused before anything is
// written; 0xFFFF entries would read as the Zip64 marker, so the writer stops
// one before.
TEST(ZipWriter, TakesUpTo65534Entries) {
  TempFolder folder;
  fs::File out = fs::File::Open(folder.Path("many.zip"), fs::File::Mode::kWrite);
  ZipWriter writer(out);
  StringSource empty("");
  EXPECT_THROW(writer.AddFile({"long", std::string(65536, 'c'), {}}, empty), ZipTooLargeError);
  for (int i = 0; i < 65534; ++i) writer.AddFile({std::to_string(i), "", {}}, empty);
  EXPECT_THROW(writer.AddFile({"one more", "", {}}, empty), ZipTooLargeError);
  writer.Finish();
  out.Close();
  FileArchive input(folder.Path("many.zip"));
  EXPECT_EQ(ZipReader(input).entries().size(), 65534u);
}

// Data that deflate cannot make smaller is read again to be stored: if it
// reads otherwise the second time (same size, other bytes), it is refused
// (505) instead of being stored under the first reading's CRC-32.
TEST(ZipWriter, RefusesDataThatChangedWhileItWasPacked) {
  struct ChangingSource : EntrySource {
    StringSource first{RandomBytes(5000, 1)}, second{RandomBytes(5000, 2)};
    bool rewound = false;
    size_t Read(uint8_t* buffer, size_t count) override {
      return (rewound ? second : first).Read(buffer, count);
    }
    void Rewind() override { rewound = true; }
  } source;
  TempFolder folder;
  fs::File out = fs::File::Open(folder.Path("a.zip"), fs::File::Mode::kWrite);
  ZipWriter writer(out);
  int32_t code = 0;
  try {
    writer.AddFile({"a", "", {}}, source);
  } catch (const ZipError& error) {
    code = error.code();
  }
  EXPECT_TRUE(source.rewound);
  EXPECT_EQ(code, 505);
}

// A 16-bit field takes up to 0xFFFF; a 32-bit one stops below 0xFFFFFFFF,
// which would read as the Zip64 marker. Past that, the writer refuses (140).
TEST(ZipWriter, FieldsTakeUpToTheirLimitAndRefuseOneMore) {
  EXPECT_EQ(FitField16(0xFFFF, "16"), 0xFFFF);
  EXPECT_EQ(FitField32(0xFFFFFFFE, "32"), 0xFFFFFFFEu);
  EXPECT_THROW(FitField16(0x10000, "16"), ZipTooLargeError);
  EXPECT_THROW(FitField32(0xFFFFFFFF, "32"), ZipTooLargeError);
}

// An archive in memory gives the bytes asked for, and refuses a read that
// would reach past its end as truncated.
TEST(MemoryArchive, RefusesAReadPastItsEnd) {
  const std::array<uint8_t, 3> bytes{'a', 'b', 'c'};
  MemoryArchive input(bytes);
  for (const auto& [offset, count, expected] :
       std::vector<std::tuple<uint64_t, size_t, std::string>>{
           {0, 3, "abc"}, {1, 2, "bc"}, {3, 0, ""}, {2, 2, "!"}, {4, 0, "!"}, {9, 1, "!"}}) {
    std::string got(count, '\0');
    try {
      input.ReadAt(offset, {reinterpret_cast<uint8_t*>(got.data()), count});
    } catch (const ZipFormatError& error) {
      got = error.defect() == ZipDefect::kTruncated ? "!" : "?";
    }
    EXPECT_EQ(got, expected) << offset << "+" << count;
  }
}

// Reads past the end yield 0 or nothing and leave the reader failed for good.
TEST(ByteReader, StaysFailedAfterItsFirstShortRead) {
  // The bytes, the reads (1, 2, 4: a number of that many bytes; t: Text(2);
  // s: Skip(2)) and what they give.
  // clang-format off
  for (const auto& [bytes, ops, trace_expected] : std::vector<std::array<std::string, 3>>{
           {"\x01\x02\x03\x04\x05\x06\x07", "124", "1 770 117835012 ok 0"},
           {"\x01\x02\x03", "41", "0 0 failed 0"}, {"\x01\x02\x03", "21", "513 3 ok 0"},
           {"\x01\x02\x03\x04", "s2", "1027 ok 0"}, {"\x01\x02\x03", "ss1", "0 failed 0"},
           {"abc", "tt", "ab  failed 0"}, {"abcd", "t", "ab ok 2"}}) {
    // clang-format on
    ByteReader in({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
    std::string trace;
    for (const char op : ops) {
      if (op == 's') in.Skip(2);
      if (op == 't') trace += in.Text(2) + " ";
      if (op == '1') trace += std::to_string(in.U8()) + " ";
      if (op == '2') trace += std::to_string(in.U16()) + " ";
      if (op == '4') trace += std::to_string(in.U32()) + " ";
    }
    EXPECT_EQ(trace + (in.ok() ? "ok " : "failed ") + std::to_string(in.remaining()),
              trace_expected);
  }
}

// Rows "name>steps" apart by ';': the steps joined by '|', or "!" when the
// name is refused.
TEST(SafeRelativeSteps, KeepsEveryStepBelowTheFolder) {
  std::istringstream rows(
      "a.txt>a.txt;dir/>dir;d/s/f>d|s|f;./d//f>d|f;w\\s>w|s;..a/b..>..a|b..;Año/ñ.SUA>Año|ñ.SUA;"
      "CONSOLE.txt>CONSOLE.txt;COM10.log>COM10.log;Data.SUA>Data.SUA;"
      "./>;../e>!;a/../../e>!;a/..>!;..>!;/etc/e>!;//server/share/x>!;"
      "\\e>!;..\\e>!;a\\..\\..\\e>!;C:e>!;C:\\e>!;c:/e>!;f.txt:stream>!;a/.../b>!;a/.. /b>!;"
      "a/ ../b>!;CON>!;dir/nul.txt>!;COM1.log>!;lpt9>!;bad\x01name>!;tab\tname>!;>!");
  for (std::string name, expected;
       std::getline(rows, name, '>') && std::getline(rows, expected, ';');) {
    std::string steps;
    try {
      for (const std::string& step : SafeRelativeSteps(name))
        steps += (steps.empty() ? "" : "|") + step;
    } catch (const ZipFormatError& error) {
      EXPECT_EQ(error.defect(), ZipDefect::kUnsafeName);
      steps = "!";
    }
    EXPECT_EQ(steps, expected) << name;
  }
}

TEST(DecodeEntryName, ReadsCodePage437Utf8OrTheUnicodePathField) {
  constexpr uint16_t kDos = 20, kUnix = 3 << 8 | 30, kUtf8 = 1 << 11;
  const std::string kBefore("\x01\x00\x00\x00", 4);  // another, empty field
  // The name as stored, the flags, the extra field, made by, the name read ("" when refused).
  // clang-format off
  for (const auto& [raw, flags, extra, made_by, expected] :
       std::vector<std::tuple<std::string, uint16_t, std::string, uint16_t, std::string>>{
           {"caf\x82", 0, "", kDos, "café"}, {"\xA4\xA5", 0, "", kDos, "ñÑ"},
           {"caf\xC3\xA9", kUtf8, "", kDos, "café"}, {"A\xC3\xB1o", 0, "", kDos, "A├▒o"},
           {"A\xC3\xB1o", 0, "", kUnix, "Año"}, {"caf\x82", 0, "", kUnix, "café"},
           {"caf\x82", 0, kBefore + UnicodePath("caf\x82", "кафе"), kDos, "кафе"},
           {"caf\x82", 0, UnicodePath("caf\x83", "кафе"), kDos, "café"},  // stale: renamed since
           {"caf\x82", 0, UnicodePath("caf\x82", "кафе").substr(0, 7), kDos, "café"},  // cut short
           {"", 0, "", kUnix, ""}, {std::string("a\0b", 3), 0, "", kUnix, ""},
           {"\xF4\x90\x80\x80", kUtf8, "", kUnix, ""}}) {  // past U+10FFFF
    // clang-format on
    std::string name;
    try {
      name = DecodeEntryName(raw, flags, extra, made_by);
    } catch (const ZipFormatError& error) {
      EXPECT_EQ(error.defect(), ZipDefect::kBadName);
    }
    EXPECT_EQ(name, expected) << raw;
  }
}

}  // namespace
}  // namespace qeb::zip::testing_zip
