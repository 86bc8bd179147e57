#include "zip/zip_reader.h"

#include <gtest/gtest.h>

#include <functional>

#include "zip/entry_name.h"
#include "zip/safe_path.h"
#include "zip/zip_errors.h"
#include "zip/zip_format.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {
using testing_zip::PutU16;
using testing_zip::PutU32;
using testing_zip::ReadU16;
using testing_zip::ReadU32;

// Field offsets inside the records, as the format lays them out.
constexpr size_t kLocalFlags = 6, kLocalMethod = 8, kLocalNameLength = 26, kLocalName = 30;
constexpr size_t kCentralFlags = 8, kCentralMethod = 10, kCentralCrc = 16, kCentralCompressed = 20,
                 kCentralUncompressed = 24, kCentralLocalOffset = 42;
constexpr size_t kEndDisk = 4, kEndEntriesTotal = 10, kEndCentralOffset = 16;

// Two entries: "a.txt" deflated, "b.bin" stored.
struct Sample {
  std::string bytes = testing_zip::BuildArchive({{"a.txt", testing_zip::Text(20000, 5), "uno"},
                                                 {"b.bin", testing_zip::RandomBytes(3000, 6), ""}});

  size_t End() const { return bytes.size() - format::kEndOfCentralDirSize; }
  size_t Central(int index) const {
    size_t at = ReadU32(bytes, End() + kEndCentralOffset);
    for (int i = 0; i < index; ++i)
      at += format::kCentralHeaderSize + ReadU16(bytes, at + 28) + ReadU16(bytes, at + 30) +
            ReadU16(bytes, at + 32);
    return at;
  }
  size_t Local(int index) const { return ReadU32(bytes, Central(index) + kCentralLocalOffset); }
  size_t Data(int index) const {
    return Local(index) + kLocalName + ReadU16(bytes, Local(index) + kLocalNameLength);
  }
};

// Opens the archive and extracts every entry; the defect found, if any.
std::optional<ZipDefect> DefectOf(const std::string& bytes) {
  try {
    testing_zip::ReadArchive(bytes);
  } catch (const ZipFormatError& error) {
    return error.defect();
  }
  return std::nullopt;
}

TEST(ZipReader, ReadsTheSampleBack) {
  const Sample sample;
  const testing_zip::ReadBack back = testing_zip::ReadArchive(sample.bytes);
  ASSERT_EQ(back.entries.size(), 2u);
  EXPECT_EQ(back.entries[0].name, "a.txt");
  EXPECT_EQ(back.entries[0].comment, "uno");
  EXPECT_EQ(back.entries[0].method, format::kMethodDeflated);
  EXPECT_EQ(back.data[0], testing_zip::Text(20000, 5));
  EXPECT_EQ(back.entries[1].method, format::kMethodStored);
  EXPECT_EQ(back.data[1], testing_zip::RandomBytes(3000, 6));
}

TEST(ZipReader, EmptyArchiveHasNoEntries) {
  const std::string empty = testing_zip::BuildArchive({});
  EXPECT_EQ(empty, std::string("PK\x05\x06", 4) + std::string(18, '\0'));
  EXPECT_TRUE(testing_zip::ReadArchive(empty).entries.empty());
}

struct Broken {
  std::string name;  // the one defect
  std::function<void(const Sample&, std::string&)> damage;
  ZipDefect defect;
  friend void PrintTo(const Broken& c, std::ostream* out) { *out << c.name; }
};

class ZipReaderBroken : public testing::TestWithParam<Broken> {};

TEST_P(ZipReaderBroken, IsRefusedWithItsDefect) {
  const Sample sample;
  std::string bytes = sample.bytes;
  GetParam().damage(sample, bytes);
  EXPECT_EQ(DefectOf(bytes), GetParam().defect);
}

INSTANTIATE_TEST_SUITE_P(Defects, ZipReaderBroken,
                         testing::
                             Values(Broken{"end-record-missing",
                                           [](const Sample& s, std::string& b) {
                                             b[s.End()] = 'X';
                                           },
                                           ZipDefect::kNoEndRecord},
                                    Broken{"archive-cut-in-half",
                                           [](const Sample&, std::string& b) {
                                             b.resize(b.size() / 2);
                                           },
                                           ZipDefect::kNoEndRecord},
                                    Broken{"archive-shorter-than-an-end-record",
                                           [](const Sample&, std::string& b) { b.resize(10); },
                                           ZipDefect::kNoEndRecord},
                                    Broken{"central-directory-offset-past-end",
                                           [](const Sample& s, std::string& b) {
                                             PutU32(b, s.End() + kEndCentralOffset, 1 << 30);
                                           },
                                           ZipDefect::kTruncated},
                                    Broken{"local-header-offset-past-central-directory",
                                           [](const Sample& s, std::string& b) {
                                             PutU32(b, s.Central(1) + kCentralLocalOffset,
                                                    static_cast<uint32_t>(s.Central(0)));
                                           },
                                           ZipDefect::kTruncated},
                                    Broken{"compressed-size-past-central-directory",
                                           [](const Sample& s, std::string& b) {
                                             PutU32(b, s.Central(1) + kCentralCompressed, 1 << 20);
                                           },
                                           ZipDefect::kTruncated},
                                    Broken{"data-before-end-record",
                                           [](const Sample& s, std::string& b) {
                                             b.insert(s.End(), "junk");
                                           },
                                           ZipDefect::kInconsistent},
                                    Broken{"local-signature-broken",
                                           [](const Sample& s, std::string& b) {
                                             b[s.Local(1)] = 'Q';
                                           },
                                           ZipDefect::kBadSignature},
                                    Broken{"central-signature-broken",
                                           [](const Sample& s, std::string& b) {
                                             b[s.Central(1) + 1] = 'Q';
                                           },
                                           ZipDefect::kBadSignature},
                                    Broken{"local-name-differs",
                                           [](const Sample& s, std::string& b) {
                                             b[s.Local(1) + kLocalName] = 'z';
                                           },
                                           ZipDefect::kInconsistent},
                                    Broken{"entries-overlap",
                                           [](const Sample& s, std::string& b) {
                                             // The second entry's data is made to run into nothing
                                             // new, but the first entry is declared long enough to
                                             // cover the second's header.
                                             PutU32(b, s.Central(0) + kCentralCompressed,
                                                    static_cast<uint32_t>(s.Data(1) - s.Data(0)));
                                           },
                                           ZipDefect::kInconsistent},
                                    Broken{"entry-count-short",
                                           [](const Sample& s, std::string& b) {
                                             PutU16(b, s.End() + kEndEntriesTotal, 1);
                                             PutU16(b, s.End() + 8, 1);
                                           },
                                           ZipDefect::kInconsistent},
                                    Broken{"entry-count-zip64-marker",
                                           [](const Sample& s, std::string& b) {
                                             PutU16(b, s.End() + kEndEntriesTotal, 0xFFFF);
                                             PutU16(b, s.End() + 8, 0xFFFF);
                                           },
                                           ZipDefect::kZip64},
                                    Broken{"entry-size-zip64-marker",
                                           [](const Sample& s, std::string& b) {
                                             PutU32(b, s.Central(0) + kCentralUncompressed,
                                                    0xFFFFFFFF);
                                           },
                                           ZipDefect::kZip64},
                                    Broken{"zip64-locator-before-end-record",
                                           [](const Sample& s, std::string& b) {
                                             std::string locator("PK\x06\x07", 4);
                                             locator.resize(format::kZip64LocatorSize, '\0');
                                             b.insert(s.End(), locator);
                                             PutU32(
                                                 b, b.size() - format::kEndOfCentralDirSize + 12,
                                                 ReadU32(b, b.size() -
                                                                format::kEndOfCentralDirSize + 12) +
                                                     format::kZip64LocatorSize);
                                           },
                                           ZipDefect::kZip64},
                                    Broken{"end-record-on-second-disk",
                                           [](const Sample& s, std::string& b) {
                                             PutU16(b, s.End() + kEndDisk, 1);
                                           },
                                           ZipDefect::kMultiDisk},
                                    Broken{"entry-encrypted",
                                           [](const Sample& s, std::string& b) {
                                             b[s.Local(1) + kLocalFlags] |= 1;
                                             b[s.Central(1) + kCentralFlags] |= 1;
                                           },
                                           ZipDefect::kEncrypted},
                                    Broken{"entry-method-bzip2",
                                           [](const Sample& s, std::string& b) {
                                             PutU16(b, s.Local(0) + kLocalMethod, 12);
                                             PutU16(b, s.Central(0) + kCentralMethod, 12);
                                           },
                                           ZipDefect::kUnsupportedMethod},
                                    Broken{"central-method-differs-from-local",
                                           [](const Sample& s, std::string& b) {
                                             PutU16(b, s.Central(0) + kCentralMethod, 0);
                                           },
                                           ZipDefect::kInconsistent},
                                    Broken{"entry-crc-corrupted",
                                           [](const Sample& s, std::string& b) {
                                             b[s.Central(0) + kCentralCrc] ^= 0x55;
                                           },
                                           ZipDefect::kCrcMismatch},
                                    Broken{"stored-data-corrupted",
                                           [](const Sample& s, std::string& b) {
                                             b[s.Data(1) + 100] ^= 0x01;
                                           },
                                           ZipDefect::kCrcMismatch},
                                    Broken{"deflate-stream-broken",
                                           [](const Sample& s, std::string& b) {
                                             b[s.Data(0)] = '\xFF';
                                           },
                                           ZipDefect::kBadCompressedData},
                                    Broken{"uncompressed-size-understated",
                                           [](const Sample& s, std::string& b) {
                                             PutU32(b, s.Central(0) + kCentralUncompressed, 19999);
                                           },
                                           ZipDefect::kSizeMismatch},
                                    Broken{"uncompressed-size-overstated",
                                           [](const Sample& s, std::string& b) {
                                             PutU32(b, s.Central(0) + kCentralUncompressed, 20001);
                                           },
                                           ZipDefect::kSizeMismatch},
                                    Broken{"stored-sizes-differ",
                                           [](const Sample& s, std::string& b) {
                                             PutU32(b, s.Central(1) + kCentralUncompressed, 2999);
                                           },
                                           ZipDefect::kSizeMismatch},
                                    Broken{"utf8-flagged-name-invalid",
                                           [](const Sample& s, std::string& b) {
                                             b[s.Central(1) + kCentralFlags + 1] |= 0x08;
                                             b[s.Central(1) + format::kCentralHeaderSize] = '\xC0';
                                             b[s.Local(1) + kLocalName] = '\xC0';
                                           },
                                           ZipDefect::kBadName}),
                         [](const testing::TestParamInfo<Broken>& info) {
                           std::string name = info.param.name;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

TEST(ZipReader, EncryptedEntryIsListedButNotExtracted) {
  const Sample sample;
  std::string bytes = sample.bytes;
  bytes[sample.Local(1) + kLocalFlags] |= 1;
  bytes[sample.Central(1) + kCentralFlags] |= 1;
  MemoryArchive input({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()});
  ZipReader reader(input);
  ASSERT_EQ(reader.entries().size(), 2u);
  testing_zip::StringSink sink;
  reader.Extract(reader.entries()[0], sink);
  EXPECT_THROW(RequireExtractable(reader.entries()[1]), ZipFormatError);
}

struct NameCase {
  std::string name;
  std::vector<std::string> steps;
  friend void PrintTo(const NameCase& c, std::ostream* out) { *out << c.name; }
};

class SafeSteps : public testing::TestWithParam<NameCase> {};

TEST_P(SafeSteps, StayBelowTheFolder) {
  EXPECT_EQ(SafeRelativeSteps(GetParam().name), GetParam().steps);
}

INSTANTIATE_TEST_SUITE_P(Accepted, SafeSteps,
                         testing::Values(NameCase{"a.txt", {"a.txt"}}, NameCase{"dir/", {"dir"}},
                                         NameCase{"dir/sub/f.txt", {"dir", "sub", "f.txt"}},
                                         NameCase{"./dir//f", {"dir", "f"}},
                                         NameCase{"win\\style.txt", {"win", "style.txt"}},
                                         NameCase{"..a/b..", {"..a", "b.."}},
                                         NameCase{"Año/ñandú.SUA", {"Año", "ñandú.SUA"}},
                                         NameCase{"CONSOLE.txt", {"CONSOLE.txt"}},
                                         NameCase{"./", {}}));

class UnsafeSteps : public testing::TestWithParam<std::string> {};

TEST_P(UnsafeSteps, AreRefused) {
  try {
    SafeRelativeSteps(GetParam());
    FAIL() << GetParam();
  } catch (const ZipFormatError& error) {
    EXPECT_EQ(error.defect(), ZipDefect::kUnsafeName);
  }
}

INSTANTIATE_TEST_SUITE_P(Refused, UnsafeSteps,
                         testing::Values("../evil.txt", "a/../../evil.txt", "a/..", "..",
                                         "/etc/evil", "//server/share/x", "\\evil.txt",
                                         "..\\evil.txt", "a\\..\\..\\evil.txt", "C:evil.txt",
                                         "C:\\evil.txt", "c:/evil.txt", "file.txt:stream",
                                         "a/.../b", "a/.. /b", "a/ ../b", "CON", "dir/nul.txt",
                                         "COM1.log", "lpt9", "bad\x01name", "tab\tname", ""));

constexpr uint16_t kMadeOnDos = 20;
constexpr uint16_t kMadeOnUnix = 3 << 8 | 30;

TEST(DecodeEntryName, UnflaggedNamesAreCodePage437) {
  EXPECT_EQ(DecodeEntryName("caf\x82", 0, "", kMadeOnDos), "café");
  EXPECT_EQ(DecodeEntryName("\xA4\xA5", 0, "", kMadeOnDos), "ñÑ");
  EXPECT_EQ(DecodeEntryName("caf\xC3\xA9", format::kFlagUtf8, "", kMadeOnDos), "café");
  // Read as code page 437 when made on DOS, as UTF-8 when made on Unix.
  EXPECT_EQ(DecodeEntryName("A\xC3\xB1o", 0, "", kMadeOnDos), "A├▒o");
  EXPECT_EQ(DecodeEntryName("A\xC3\xB1o", 0, "", kMadeOnUnix), "Año");
  EXPECT_EQ(DecodeEntryName("caf\x82", 0, "", kMadeOnUnix), "café");
}

TEST(DecodeEntryName, UnicodePathFieldGivesTheNameWhenItsCrcMatches) {
  const std::string raw = "caf\x82";
  const std::string utf8 = "кафе";  // differs from the code page 437 reading
  auto field = [&](uint32_t crc) {
    std::string extra(4 + 5, '\0');
    PutU16(extra, 0, 0x7075);
    PutU16(extra, 2, static_cast<uint16_t>(5 + utf8.size()));
    extra[4] = 1;
    PutU32(extra, 5, crc);
    return extra + utf8;
  };
  const uint32_t crc = 0x71D308CB;  // CRC-32 of "caf\x82"
  EXPECT_EQ(DecodeEntryName(raw, 0, field(crc ^ 1), kMadeOnDos),
            "café");  // stale: the raw name was renamed
  EXPECT_EQ(DecodeEntryName(raw, 0, field(crc), kMadeOnDos), utf8);
  EXPECT_EQ(DecodeEntryName(raw, 0, field(crc).substr(0, 7), kMadeOnDos),
            "café");  // cut short: ignored
}

TEST(DecodeEntryName, EmptyNulAndBadUtf8AreBadNames) {
  struct Case {
    std::string raw;
    uint16_t flags;
  };
  // Overlong, surrogate, past U+10FFFF, cut short: no UTF-8 for a flagged name.
  for (const Case& c :
       {Case{"", 0}, Case{std::string("a\0b", 3), 0}, Case{"\xC0\x80", format::kFlagUtf8},
        Case{"\xED\xA0\x80", format::kFlagUtf8}, Case{"\xF4\x90\x80\x80", format::kFlagUtf8},
        Case{"\xE2\x82", format::kFlagUtf8}}) {
    try {
      DecodeEntryName(c.raw, c.flags, "", kMadeOnUnix);
      ADD_FAILURE() << c.raw;
    } catch (const ZipFormatError& error) {
      EXPECT_EQ(error.defect(), ZipDefect::kBadName);
    }
  }
  EXPECT_EQ(DecodeEntryName("\xF0\x9F\x98\x80 ñ", format::kFlagUtf8, "", 0), "\xF0\x9F\x98\x80 ñ");
}

}  // namespace
}  // namespace qeb::zip
