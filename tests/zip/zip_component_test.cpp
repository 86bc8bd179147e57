#include "zip/zip_component.h"

#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <tuple>

#include "tools/sua_sample.h"
#include "zip/dos_time.h"
#include "zip_test_support.h"

#ifdef __linux__
#include <sys/syscall.h>

#include "support/child_process.h"
#endif

namespace qeb::zip::testing_zip {
namespace {

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900, local.tm_mon = month - 1, local.tm_mday = day;
  local.tm_hour = hour, local.tm_min = minute, local.tm_sec = second, local.tm_isdst = -1;
  return local;
}

#ifndef _WIN32
// Outside readers: $A is the archive, $S the source; in what they print NAME,
// STORED (the stored name's bytes), ARCHIVE and COMMENT (both hexadecimal)
// stand for their values. Each must be there: none may be passed over.
const std::array<std::string, 3> kReaders[] = {
    // tool, command, output
    {"unzip", "unzip -Z1 \"$A\" && unzip -tq \"$A\" && unzip -p \"$A\" | cmp - \"$S\"",
     "NAME\nNo errors detected in compressed data of ARCHIVE.\n"},
    {"zipinfo",
     "zipinfo -v \"$A\" | sed -n '/file comment begins/,/file comment ends/p' | sed '1d;$d' | "
     "od -An -v -tx1 | tr -d ' \\n'",
     "COMMENT0a"},
    {"7z",
     "7z t \"$A\" | grep -a 'Everything is Ok' && 7z x -so \"$A\" | cmp - \"$S\" && "
     "7z l -slt \"$A\" | grep -a '^Path = ' | tail -n 1",
     "Everything is Ok\nPath = NAME\n"},
    {"bsdtar", "bsdtar -tf \"$A\" && bsdtar -xOf \"$A\" | cmp - \"$S\"", "NAME\n"},
    // Python reads no Unicode Path field: the name as stored, in code page 437.
    {"python3",
     "python3 -c 'import sys, zipfile; z = zipfile.ZipFile(sys.argv[1]); i = z.infolist()[0]; "
     "assert z.testzip() is None and z.read(i) == open(sys.argv[2], \"rb\").read(); "
     "print(i.filename.encode(\"cp437\").hex(), i.comment.hex())' \"$A\" \"$S\"",
     "STORED COMMENT\n"},
};
#endif

// The archive replaces the older one and holds the file and nothing else:
// both headers agree, the name in code page 437 with the UTF-8 name in a
// Unicode Path field when they differ, no flag, the file's time, and nothing
// past the end record (a stored entry leaves nothing of its deflated attempt).
// It reads back the same in every outside reader.
TEST(ZipComponent, PacksTheFileAsTheArchivesOneEntry) {
  // The joined file's name and data, the method, the name in code page 437
  // when it differs.
  // clang-format off
  for (const auto& [name, data, method, stored_name] :
       std::vector<std::tuple<std::string, std::string, uint16_t, std::string>>{
           {"NAME.SUA", Text(100000, 1), 8, ""}, {"EMPTY.SUA", "", 0, ""}, {"ONE.SUA", "x", 0, ""},
           {"NOISE.SUA", RandomBytes(70000, 7), 0, ""},
           // Its deflated attempt outgrows the stored entry and its directory: the file is cut back.
           {"MEGA.SUA", RandomBytes(1 << 20, 8), 0, ""},
           {"MIXED.SUA", Mixed(4'500'000, 2), 8, ""},  // many blocks, several threads
           {"JOINED.SUA", sample::MakeSuaData("ABCD1234", 25'000, 11, 15), 8, ""},
           {"ñ0307379.sua", Text(5000, 3), 8, "\2440307379.sua"},
           {"Año € ñandú.SUA", "x", 0, "A\244o _ \244and\243.SUA"}}) {
    // clang-format on
    SCOPED_TRACE(name);
    TempFolder folder;
    const std::string source = folder.Write("in/" + name, data);
    std::tm modified = LocalTime(2009, 7, 15, 13, 45, 31);
    std::filesystem::last_write_time(
        fs::ToPath(source), std::chrono::file_clock::from_sys(
                                std::chrono::system_clock::from_time_t(mktime(&modified))));
    const std::string archive = folder.Write("OUT.ZIP", "an older archive");
    const Packed packed = Pack(source, archive);
    ASSERT_EQ(packed.code, 0);
    EXPECT_EQ(packed.handler_calls, 1);
    EXPECT_EQ(packed.offered, source);
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"OUT.ZIP", "in/", "in/" + name}));
    const std::string bytes = ReadAll(archive);
    const std::string comment = ScrambledClave();
    const ReadBack back = ReadArchive(bytes);
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].name + "|" + back.entries[0].comment, name + "|" + comment);
    EXPECT_EQ(back.entries[0].method, method);
    EXPECT_TRUE(back.data[0] == data);
    const size_t stored = back.entries[0].compressed_size;
    EXPECT_LT(stored, method == 8 ? data.size() * 2 / 3 : data.size() + 1);
    const std::string name_and_extra =
        stored_name.empty() ? name : stored_name + UnicodePath(stored_name, name);
    const size_t central = 30 + name_and_extra.size() + stored;
    EXPECT_EQ(bytes.size(), central + 46 + name_and_extra.size() + comment.size() + 22);
    EXPECT_EQ(Get(bytes, 4, 2), method == 8 ? 20u : 10u);  // version needed to extract
    EXPECT_EQ(Get(bytes, 6, 2), 0u);                       // no flag
    EXPECT_EQ(bytes.substr(6, 24), bytes.substr(central + 8, 24));
    EXPECT_EQ(
        bytes.substr(30, name_and_extra.size()) + bytes.substr(central + 46, name_and_extra.size()),
        name_and_extra + name_and_extra);
    EXPECT_EQ(Get(bytes, 10, 4),
              (2009 - 1980u) << 25 | 7 << 21 | 15 << 16 | 13 << 11 | 45 << 5 | 15);
#ifndef _WIN32
    for (const auto& [tool, command, output_expected] : kReaders) {
      const auto [status, output] =
          RunTool("A=" + Quote(archive) + " S=" + Quote(source) + "; " + command);
      std::string expected = output_expected;
      for (const auto& [marker, value] : std::vector<std::pair<std::string, std::string>>{
               {"NAME", name},
               {"ARCHIVE", archive},
               {"COMMENT", Hex(comment)},
               {"STORED", Hex(stored_name.empty() ? name : stored_name)}})
        if (const size_t at = expected.find(marker); at != std::string::npos)
          expected.replace(at, marker.size(), value);
      EXPECT_EQ(status, 0) << tool << ": " << output;
      EXPECT_EQ(output, expected) << tool;
    }
#endif
  }
  EXPECT_EQ(ToDosDateTime(LocalTime(1970, 1, 1, 0, 0, 0)), (DosDateTime{0, 1 << 5 | 1}));
  EXPECT_EQ(ToDosDateTime(LocalTime(1980, 6, 2, 3, 4, 6)),  // the first year DOS dates hold
            (DosDateTime{3 << 11 | 4 << 5 | 3, 6 << 5 | 2}));
  EXPECT_EQ(ToDosDateTime(LocalTime(2016, 12, 31, 23, 59, 60)),  // a leap second
            (DosDateTime{23 << 11 | 59 << 5 | 29, 36 << 9 | 12 << 5 | 31}));
  EXPECT_EQ(ToDosDateTime(LocalTime(2107, 3, 4, 5, 6, 8)),  // the last year DOS dates hold
            (DosDateTime{5 << 11 | 6 << 5 | 4, 127 << 9 | 3 << 5 | 4}));
  EXPECT_EQ(ToDosDateTime(LocalTime(2200, 1, 1, 0, 0, 0)),
            (DosDateTime{23 << 11 | 59 << 5 | 29, 127 << 9 | 12 << 5 | 31}));
}

#ifdef __linux__
// Packs in a child process that meets a real full disk (files cannot grow
// past `limit` bytes) or a device where every `call` (fsync, close) fails
// with `error`; the code Compress returned there.
std::string PackInChild(const std::string& source, const std::string& archive, size_t limit,
                        long call, int error) {
  return test_support::RunInChild(
      [&] {
        if (limit != 0) test_support::LimitFileSize(limit);
        if (error != 0) test_support::FailSystemCall({call}, 1, error, /*persist=*/true);
      },
      [&] { return std::to_string(Pack(source, archive).code); });
}
#endif

// Each failure gives its code and leaves the folder as it was: no temporary
// file, no archive, an older archive untouched.
TEST(ZipComponent, FailureGivesItsCodeAndLeavesNothingBehind) {
  const std::string kOld = "old/NAME.ZIP";
  // clang-format off
  const struct {
    std::string name, source, archive;  // in the folder; source "" leaves the path empty
    int64_t code;                       // minus its number for an error out of Compress
    CommentMaker comment = ScrambledClave;
    int64_t size_limit = 0;  // bytes; negative: that many below the archive's size
    long call = 0;  // a system call that fails with `error`
    int error = 0;
  } kCases[] = {{"SourceMissing", "MISSING.SUA", kOld, 140}, {"SourceEmptyPath", "", kOld, 140},
                {"SourceIsAFolder", "adir", kOld, 140}, {"SourceOf4GiB", "HUGE.SUA", kOld, 140},
                {"ArchiveFolderMissing", "NAME.SUA", "nofolder/NAME.ZIP", 504},
                {"ArchiveParentIsAFile", "NAME.SUA", "afile/NAME.ZIP", 504},
                {"ArchivePathIsAFolder", "NAME.SUA", "adir", 519},
                {"CommentTooLong", "NAME.SUA", kOld, 140, [] { return std::string(70000, 'c'); }},
                {"HandlerFails", "NAME.SUA", kOld, -kErrOverflow,
                 [] { return FGCifraXor(std::string(32767, 'A'), "B"); }},
#ifdef __linux__  // a child process with limits is made on Linux only
                {"DiskFullMidway", "NAME.SUA", kOld, 150, nullptr, 100'000},
                {"DiskFullAtTheLastByte", "NAME.SUA", kOld, 150, nullptr, -1},
                {"FlushFindsTheDiskFull", "NAME.SUA", kOld, 150, nullptr, 0, SYS_fsync, ENOSPC},
                {"FlushFailsOtherwise", "NAME.SUA", kOld, 506, nullptr, 0, SYS_fsync, EIO},
                {"CloseFails", "NAME.SUA", kOld, 506, nullptr, 0, SYS_close, EIO}
#endif
  };
  // clang-format on
  for (const auto& f : kCases) {
    SCOPED_TRACE(f.name);
    TempFolder folder;
    const std::string source = folder.Write("NAME.SUA", Mixed(1'000'000, 3));
    folder.Write("afile", "a file where a folder is needed");
    folder.Write(kOld, "an older archive");
    folder.Write("adir/placeholder", "");
    if (f.source == "HUGE.SUA")  // sparse
      std::filesystem::resize_file(fs::ToPath(folder.Write("HUGE.SUA", "")), uint64_t{1} << 32);
    const std::vector<std::string> before = folder.List();
    const std::string path = f.source.empty() ? "" : folder.Path(f.source);
    if (f.size_limit == 0 && f.error == 0) {
      const Packed packed = Pack(path, folder.Path(f.archive), f.comment);
      EXPECT_EQ(packed.code, f.code);
      EXPECT_EQ(packed.handler_calls, f.source == "NAME.SUA" ? 1 : 0);
    } else {
#ifdef __linux__
      auto limit = static_cast<size_t>(f.size_limit);
      if (f.size_limit < 0) {
        TempFolder scratch;
        ASSERT_EQ(Pack(source, scratch.Path("NAME.ZIP")).code, 0);
        limit = ReadAll(scratch.Path("NAME.ZIP")).size() + f.size_limit;
      }
      EXPECT_EQ(PackInChild(path, folder.Path(f.archive), limit, f.call, f.error),
                std::to_string(f.code));
#endif
    }
    EXPECT_EQ(folder.List(), before);
    EXPECT_EQ(ReadAll(folder.Path(kOld)), "an older archive");
  }
}

#ifdef _WIN32
// A real full disk: a folder on a disk too small for the archive, mounted for
// the suite (QEB_SMALL_DISK). Windows says 112; the component answers 150.
TEST(ZipComponent, AFullDiskIsCode150AndLeavesNothingThere) {
  const char* disk = std::getenv("QEB_SMALL_DISK");
  ASSERT_NE(disk, nullptr) << "no small disk was mounted for the suite";
  TempFolder folder;
  const std::string source = folder.Write("NAME.SUA", RandomBytes(1 << 20, 4));
  EXPECT_EQ(Pack(source, std::string(disk) + "\\NAME.ZIP").code, 150);
  EXPECT_TRUE(std::filesystem::is_empty(fs::ToPath(disk)));
}
#endif

}  // namespace
}  // namespace qeb::zip::testing_zip
