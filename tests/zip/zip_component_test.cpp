#include "zip/zip_component.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>

#include "base/file_system.h"
#include "base/run_error.h"
#include "zip/cifra_xor.h"
#include "zip/dos_time.h"
#include "zip/zip_format.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {
using testing_zip::ReadAll;
using testing_zip::TempFolder;

constexpr const char* kClave = "0123456789ABCDEFGHI";

struct Packed {
  int32_t code = -1;
  int handler_calls = 0;
  std::string offered_comment = "not called";
  std::string offered_source;
};

// Packs `source` into `archive` the way the run does: the handler sets the
// scrambled clave as the entry's comment.
Packed Pack(const std::string& source, const std::string& archive) {
  Packed packed;
  ZipComponent component;
  component.SourceFiles = source;
  component.ZipFilename = archive;
  component.PreZipFile = [&](std::string& comment, const std::string& path) {
    ++packed.handler_calls;
    packed.offered_comment = comment;
    packed.offered_source = path;
    comment = FGCifraXor(kClave, kLlaveComentario);
  };
  packed.code = component.Compress();
  return packed;
}

TEST(ZipComponent, PacksTheFileUnderItsNameWithTheHandlersComment) {
  TempFolder folder;
  const std::string data = testing_zip::Text(100000, 1);
  const std::string source = folder.Write("sub/NAME.SUA", data);
  const std::string archive = folder.Path("NAME.ZIP");

  const Packed packed = Pack(source, archive);

  EXPECT_EQ(packed.code, 0);
  EXPECT_EQ(packed.handler_calls, 1);
  EXPECT_EQ(packed.offered_comment, "");
  EXPECT_EQ(packed.offered_source, source);
  const testing_zip::ReadBack back = testing_zip::ReadArchive(ReadAll(archive));
  ASSERT_EQ(back.entries.size(), 1u);
  EXPECT_EQ(back.entries[0].name, "NAME.SUA");
  EXPECT_EQ(back.entries[0].comment, FGCifraXor(kClave, kLlaveComentario));
  EXPECT_EQ(back.entries[0].method, format::kMethodDeflated);
  EXPECT_LT(back.entries[0].compressed_size, data.size() / 2);
  EXPECT_EQ(back.data[0], data);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"NAME.ZIP", "sub/", "sub/NAME.SUA"}));
}

// Data that deflate cannot shrink is stored; the archive is then exactly the
// records and the data, with nothing left of the deflated attempt.
TEST(ZipComponent, StoresWhatDeflateCannotShrink) {
  for (const size_t size : {size_t{0}, size_t{1}, size_t{70000}, size_t{1} << 20}) {
    TempFolder folder;
    const std::string data = testing_zip::RandomBytes(size, 7);
    const std::string archive = folder.Path("R.ZIP");
    ASSERT_EQ(Pack(folder.Write("R.SUA", data), archive).code, 0) << size;

    const std::string bytes = ReadAll(archive);
    const testing_zip::ReadBack back = testing_zip::ReadArchive(bytes);
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].method, format::kMethodStored) << size;
    EXPECT_EQ(back.data[0], data);
    const size_t name_and_comment = 5 + 19;
    EXPECT_EQ(bytes.size(), format::kLocalHeaderSize + 5 + size + format::kCentralHeaderSize +
                                name_and_comment + format::kEndOfCentralDirSize);
  }
}

TEST(ZipComponent, LargeFileRoundTrips) {
  TempFolder folder;
  // 20 MB: text with stretches of noise, so both kinds of deflate block occur.
  std::string data;
  for (uint32_t seed = 0; data.size() < 20'000'000; ++seed)
    data +=
        seed % 4 == 3 ? testing_zip::RandomBytes(300'000, seed) : testing_zip::Text(700'000, seed);
  const std::string archive = folder.Path("BIG.ZIP");
  ASSERT_EQ(Pack(folder.Write("BIG.SUA", data), archive).code, 0);
  const testing_zip::ReadBack back = testing_zip::ReadArchive(ReadAll(archive));
  ASSERT_EQ(back.entries.size(), 1u);
  EXPECT_EQ(back.entries[0].uncompressed_size, data.size());
  EXPECT_TRUE(back.data[0] == data);
}

// The name is stored in code page 437 with no UTF-8 flag, and spelt in UTF-8
// in a Unicode Path field of both headers ("unicode:" here) when it is not
// plain ASCII. Our reader takes the name from that field.
TEST(ZipComponent, NameIsStoredInCodePage437WithItsUnicodePath) {
  const struct {
    std::string name;
    std::string stored;
    std::string unicode;
  } kCases[] = {
      {"ñ0307379.sua",
       "\xA4"
       "0307379.sua",
       "ñ0307379.sua"},
      {"Año € ñandú.SUA",
       "A\xA4o _ \xA4"
       "and\xA3.SUA",
       "Año € ñandú.SUA"},
      {"PLAIN.SUA", "PLAIN.SUA", ""},
  };
  for (const auto& c : kCases) {
    TempFolder folder;
    const std::string archive = folder.Path("A.ZIP");
    ASSERT_EQ(Pack(folder.Write(c.name, "x"), archive).code, 0);
    const std::string bytes = ReadAll(archive);
    const size_t central = testing_zip::ReadU32(bytes, bytes.size() - 22 + 16);
    for (const size_t header : {size_t{0}, central}) {
      const size_t fixed = header == 0 ? 30 : 46;
      const uint16_t flags = testing_zip::ReadU16(bytes, header + (header == 0 ? 6 : 8));
      const uint16_t name_length =
          testing_zip::ReadU16(bytes, fixed + header - (header == 0 ? 4 : 18));
      const uint16_t extra_length =
          testing_zip::ReadU16(bytes, fixed + header - (header == 0 ? 2 : 16));
      EXPECT_EQ(flags & format::kFlagUtf8, 0) << c.name;
      EXPECT_EQ(bytes.substr(header + fixed, name_length), c.stored) << c.name;
      const std::string extra = bytes.substr(header + fixed + name_length, extra_length);
      EXPECT_EQ(extra.empty() ? "" : extra.substr(9), c.unicode) << c.name;
    }
    EXPECT_EQ(testing_zip::ReadArchive(bytes).entries[0].name, c.name);
  }
}

TEST(ZipComponent, EntryTimeIsTheFilesModificationTime) {
  TempFolder folder;
  const std::string source = folder.Write("T.SUA", "x");
  std::tm local{};
  local.tm_year = 2009 - 1900, local.tm_mon = 6, local.tm_mday = 15;
  local.tm_hour = 13, local.tm_min = 45, local.tm_sec = 31, local.tm_isdst = -1;
  const auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
  std::filesystem::last_write_time(fs::ToPath(source), std::chrono::file_clock::from_sys(when));
  const std::string archive = folder.Path("T.ZIP");
  ASSERT_EQ(Pack(source, archive).code, 0);
  const std::string bytes = ReadAll(archive);
  EXPECT_EQ(testing_zip::ReadU16(bytes, 10), 13 << 11 | 45 << 5 | 30 / 2);
  EXPECT_EQ(testing_zip::ReadU16(bytes, 12), (2009 - 1980) << 9 | 7 << 5 | 15);
}

TEST(ZipComponent, ReplacesAnArchiveAlreadyThere) {
  TempFolder folder;
  const std::string archive = folder.Write("NAME.ZIP", "an older archive");
  ASSERT_EQ(Pack(folder.Write("NAME.SUA", "new data"), archive).code, 0);
  EXPECT_EQ(testing_zip::ReadArchive(ReadAll(archive)).data[0], "new data");
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"NAME.SUA", "NAME.ZIP"}));
}

struct Failure {
  std::string name;
  std::string source;   // relative to the folder; "" leaves the path empty
  std::string archive;  // relative to the folder
  int32_t code;
  friend void PrintTo(const Failure& c, std::ostream* out) { *out << c.name; }
};

class ZipComponentFailure : public testing::TestWithParam<Failure> {};

// Each failure gives its code, leaves no temporary file, and does not touch
// an archive already at the path.
TEST_P(ZipComponentFailure, ReturnsItsCodeAndLeavesNothingBehind) {
  const Failure& f = GetParam();
  TempFolder folder;
  folder.Write("NAME.SUA", testing_zip::Text(5000, 3));
  folder.Write("afile", "a file where a folder is needed");
  folder.Write("old/NAME.ZIP", "an older archive");
  folder.Write("adir/placeholder", "");
  const std::vector<std::string> before = folder.List();

  const Packed packed = Pack(f.source.empty() ? "" : folder.Path(f.source), folder.Path(f.archive));

  EXPECT_EQ(packed.code, f.code);
  EXPECT_EQ(folder.List(), before);
  EXPECT_EQ(ReadAll(folder.Path("old/NAME.ZIP")), "an older archive");
}

INSTANTIATE_TEST_SUITE_P(
    Codes, ZipComponentFailure,
    testing::Values(Failure{"SourceMissing", "MISSING.SUA", "old/NAME.ZIP", 140},
                    Failure{"SourceEmptyPath", "", "old/NAME.ZIP", 140},
                    Failure{"SourceIsAFolder", "adir", "old/NAME.ZIP", 140},
                    Failure{"ArchiveFolderMissing", "NAME.SUA", "nofolder/NAME.ZIP", 504},
                    Failure{"ArchiveParentIsAFile", "NAME.SUA", "afile/NAME.ZIP", 504},
                    Failure{"ArchivePathIsAFolder", "NAME.SUA", "adir", 519}),
    [](const testing::TestParamInfo<Failure>& info) { return info.param.name; });

TEST(ZipComponent, FileOf4GiBOrMoreIsRefusedBeforeAnythingIsWritten) {
  TempFolder folder;
  const std::string source = folder.Path("HUGE.SUA");
  testing_zip::WriteAll(source, "");
  std::filesystem::resize_file(fs::ToPath(source), uint64_t{1} << 32);  // sparse
  const Packed packed = Pack(source, folder.Path("HUGE.ZIP"));
  EXPECT_EQ(packed.code, 140);
  EXPECT_EQ(packed.handler_calls, 0);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"HUGE.SUA"}));
}

TEST(ZipComponent, HandlerFailurePropagatesAndLeavesNothingBehind) {
  TempFolder folder;
  const std::string source = folder.Write("NAME.SUA", "data");
  const std::string archive = folder.Write("NAME.ZIP", "an older archive");
  ZipComponent component;
  component.SourceFiles = source;
  component.ZipFilename = archive;
  component.PreZipFile = [](std::string& comment, const std::string&) {
    comment = FGCifraXor(std::string(32767, 'A'), kLlaveComentario);
  };
  try {
    component.Compress();
    FAIL() << "the handler's error must reach the caller";
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), kErrOverflow);
  }
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"NAME.SUA", "NAME.ZIP"}));
  EXPECT_EQ(ReadAll(archive), "an older archive");
}

TEST(ZipComponent, CommentTooLongForTheFormatIsRefused) {
  TempFolder folder;
  ZipComponent component;
  component.SourceFiles = folder.Write("NAME.SUA", "data");
  component.ZipFilename = folder.Path("NAME.ZIP");
  component.PreZipFile = [](std::string& comment, const std::string&) {
    comment.assign(70000, 'c');
  };
  EXPECT_EQ(component.Compress(), 140);
  EXPECT_EQ(folder.List(), (std::vector<std::string>{"NAME.SUA"}));
}

TEST(ZipComponent, WithoutAHandlerTheCommentStaysEmpty) {
  TempFolder folder;
  ZipComponent component;
  component.SourceFiles = folder.Write("NAME.SUA", "data");
  component.ZipFilename = folder.Path("NAME.ZIP");
  ASSERT_EQ(component.Compress(), 0);
  EXPECT_EQ(testing_zip::ReadArchive(ReadAll(component.ZipFilename)).entries[0].comment, "");
}

TEST(DosTime, YearsOutsideTheFormatArePinnedToItsEnds) {
  std::tm early{};
  early.tm_year = 1970 - 1900, early.tm_mday = 1;
  EXPECT_EQ(ToDosDateTime(early), (DosDateTime{0, 1 << 5 | 1}));
  std::tm late{};
  late.tm_year = 2200 - 1900, late.tm_mday = 1;
  EXPECT_EQ(ToDosDateTime(late), (DosDateTime{23 << 11 | 59 << 5 | 29, 127 << 9 | 12 << 5 | 31}));
}

}  // namespace
}  // namespace qeb::zip
