#include "zip/zip_component.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "base/file_system.h"
#include "base/run_error.h"
#include "zip/cifra_xor.h"
#include "zip/dos_time.h"
#include "zip_test_support.h"

#ifdef __linux__
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstddef>
#endif

namespace qeb::zip {
namespace {
using testing_zip::Pack;
using testing_zip::ReadAll;
using testing_zip::ReadU16;
using testing_zip::TempFolder;

std::tm LocalTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm local{};
  local.tm_year = year - 1900, local.tm_mon = month - 1, local.tm_mday = day;
  local.tm_hour = hour, local.tm_min = minute, local.tm_sec = second, local.tm_isdst = -1;
  return local;
}

// The archive replaces the older one and holds the file and nothing else:
// both headers agree, the name in code page 437 with the UTF-8 name in a
// Unicode Path field when they differ, no flag, the file's time, and nothing
// past the end record (a stored entry leaves nothing of its deflated attempt).
TEST(ZipComponent, PacksTheFileAsTheArchivesOneEntry) {
  const struct {
    std::string name;  // of the joined file
    std::string data;
    bool handler;
    uint16_t method;
    std::string stored_name;  // in code page 437
  } kCases[] = {{"NAME.SUA", testing_zip::Text(100000, 1), true, 8, "NAME.SUA"},
                {"EMPTY.SUA", "", true, 0, "EMPTY.SUA"},
                {"ONE.SUA", "x", true, 0, "ONE.SUA"},
                {"NOISE.SUA", testing_zip::RandomBytes(70000, 7), true, 0, "NOISE.SUA"},
                {"MEGA.SUA", testing_zip::RandomBytes(1 << 20, 8), true, 0, "MEGA.SUA"},
                {"MIXED.SUA", testing_zip::Mixed(3'000'000, 2), true, 8, "MIXED.SUA"},
                {"ñ0307379.sua", testing_zip::Text(5000, 3), true, 8,
                 "\xA4"
                 "0307379.sua"},
                {"Año € ñandú.SUA", "x", false, 0,
                 "A\xA4o _ \xA4"
                 "and\xA3.SUA"}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    TempFolder folder;
    const std::string source = folder.Write("in/" + c.name, c.data);
    std::tm modified = LocalTime(2009, 7, 15, 13, 45, 31);
    std::filesystem::last_write_time(
        fs::ToPath(source), std::chrono::file_clock::from_sys(
                                std::chrono::system_clock::from_time_t(mktime(&modified))));
    const std::string archive = folder.Write("OUT.ZIP", "an older archive");

    const testing_zip::Packed packed =
        Pack(source, archive, c.handler ? testing_zip::ScrambledClave : nullptr);

    ASSERT_EQ(packed.code, 0);
    EXPECT_EQ(packed.handler_calls, c.handler ? 1 : 0);
    EXPECT_EQ(packed.offered_comment + packed.offered_source, c.handler ? source : "");
    EXPECT_EQ(folder.List(), (std::vector<std::string>{"OUT.ZIP", "in/", "in/" + c.name}));
    const std::string bytes = ReadAll(archive);
    const std::string comment = c.handler ? testing_zip::ScrambledClave() : "";
    const testing_zip::ReadBack back = testing_zip::ReadArchive(bytes);
    ASSERT_EQ(back.entries.size(), 1u);
    EXPECT_EQ(back.entries[0].name + "|" + back.entries[0].comment, c.name + "|" + comment);
    EXPECT_EQ(back.entries[0].method, c.method);
    EXPECT_TRUE(back.data[0] == c.data);
    const size_t stored = back.entries[0].compressed_size;
    EXPECT_LT(stored, c.method == 8 ? c.data.size() * 2 / 3 : c.data.size() + 1);

    const std::string name_and_extra =
        c.stored_name +
        (c.stored_name == c.name ? "" : testing_zip::UnicodePath(c.stored_name, c.name));
    const size_t central = 30 + name_and_extra.size() + stored;
    EXPECT_EQ(bytes.size(), central + 46 + name_and_extra.size() + comment.size() + 22);
    EXPECT_EQ(ReadU16(bytes, 6), 0);  // no flag
    EXPECT_EQ(bytes.substr(6, 24), bytes.substr(central + 8, 24));
    EXPECT_EQ(bytes.substr(30, name_and_extra.size()), name_and_extra);
    EXPECT_EQ(bytes.substr(central + 46, name_and_extra.size()), name_and_extra);
    EXPECT_EQ(ReadU16(bytes, 10), 13 << 11 | 45 << 5 | 31 / 2);
    EXPECT_EQ(ReadU16(bytes, 12), (2009 - 1980) << 9 | 7 << 5 | 15);
  }
  EXPECT_EQ(ToDosDateTime(LocalTime(1970, 1, 1, 0, 0, 0)), (DosDateTime{0, 1 << 5 | 1}));
  EXPECT_EQ(ToDosDateTime(LocalTime(2200, 1, 1, 0, 0, 0)),
            (DosDateTime{23 << 11 | 59 << 5 | 29, 127 << 9 | 12 << 5 | 31}));
}

#ifdef __linux__
// Packs in a child process that meets a real full disk (a file-size limit;
// SIGXFSZ ignored, so the write fails with EFBIG) or a device whose fsync
// fails with `fsync_error`; the code Compress returned there.
int32_t PackInChild(const std::string& source, const std::string& archive, rlim_t limit,
                    int fsync_error) {
  int report[2];
  if (pipe(report) != 0) return -100;
  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit fsize{limit, limit};
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, SYS_fsync, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | static_cast<uint32_t>(fsync_error)),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW)};
    const sock_fprog program{4, filter};
    int32_t code = -101;
    if ((limit == 0 || setrlimit(RLIMIT_FSIZE, &fsize) == 0) &&
        (fsync_error == 0 || (prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
                              prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0)))
      code = Pack(source, archive).code;
    (void)!write(report[1], &code, sizeof code);
    _exit(0);
  }
  close(report[1]);
  int32_t code = -102;
  if (read(report[0], &code, sizeof code) != sizeof code) code = -103;
  close(report[0]);
  waitpid(child, nullptr, 0);
  return code;
}
#endif

struct Bad {
  std::string name;
  std::string source;   // in the folder; "" leaves the path empty
  std::string archive;  // in the folder
  int32_t code;         // minus its number for an error out of Compress
  testing_zip::CommentMaker comment = testing_zip::ScrambledClave;
  int64_t size_limit = 0;  // bytes; negative: that many below the archive's size
  int fsync_error = 0;
  friend void PrintTo(const Bad& c, std::ostream* out) { *out << c.name; }
};

class PackingFailure : public testing::TestWithParam<Bad> {};

// Each failure gives its code and leaves the folder as it was: no temporary
// file, no archive, an older archive untouched.
TEST_P(PackingFailure, GivesItsCodeAndLeavesNothingBehind) {
  const Bad& f = GetParam();
  TempFolder folder;
  const std::string source = folder.Write("NAME.SUA", testing_zip::Mixed(1'000'000, 3));
  folder.Write("afile", "a file where a folder is needed");
  folder.Write("old/NAME.ZIP", "an older archive");
  folder.Write("adir/placeholder", "");
  if (f.source == "HUGE.SUA")  // sparse
    std::filesystem::resize_file(fs::ToPath(folder.Write("HUGE.SUA", "")), uint64_t{1} << 32);
  const std::vector<std::string> before = folder.List();
  const std::string path = f.source.empty() ? "" : folder.Path(f.source);

  if (f.size_limit != 0 || f.fsync_error != 0) {
#ifdef __linux__
    rlim_t limit = static_cast<rlim_t>(f.size_limit);
    if (f.size_limit < 0) {
      TempFolder scratch;
      ASSERT_EQ(Pack(source, scratch.Path("NAME.ZIP")).code, 0);
      limit = ReadAll(scratch.Path("NAME.ZIP")).size() + f.size_limit;
    }
    EXPECT_EQ(PackInChild(path, folder.Path(f.archive), limit, f.fsync_error), f.code);
#else
    GTEST_SKIP() << "a child process with limits is made on Linux only";
#endif
  } else {
    const testing_zip::Packed packed = Pack(path, folder.Path(f.archive), f.comment);
    EXPECT_EQ(packed.code, f.code);
    EXPECT_EQ(packed.handler_calls, f.source == "NAME.SUA" ? 1 : 0);
  }
  EXPECT_EQ(folder.List(), before);
  EXPECT_EQ(ReadAll(folder.Path("old/NAME.ZIP")), "an older archive");
}

const std::string kOld = "old/NAME.ZIP";

INSTANTIATE_TEST_SUITE_P(
    Codes, PackingFailure,
    testing::Values(
        Bad{"SourceMissing", "MISSING.SUA", kOld, 140}, Bad{"SourceEmptyPath", "", kOld, 140},
        Bad{"SourceIsAFolder", "adir", kOld, 140}, Bad{"SourceOf4GiB", "HUGE.SUA", kOld, 140},
        Bad{"ArchiveFolderMissing", "NAME.SUA", "nofolder/NAME.ZIP", 504},
        Bad{"ArchiveParentIsAFile", "NAME.SUA", "afile/NAME.ZIP", 504},
        Bad{"ArchivePathIsAFolder", "NAME.SUA", "adir", 519},
        Bad{"CommentTooLong", "NAME.SUA", kOld, 140, [] { return std::string(70000, 'c'); }},
        Bad{"HandlerFails", "NAME.SUA", kOld, -kErrOverflow,
            [] { return FGCifraXor(std::string(32767, 'A'), kLlaveComentario); }},
        Bad{"DiskFullMidway", "NAME.SUA", kOld, 150, nullptr, 100'000},
        Bad{"DiskFullAtTheLastByte", "NAME.SUA", kOld, 150, nullptr, -1},
        Bad{"FlushFindsTheDiskFull", "NAME.SUA", kOld, 150, nullptr, 0, ENOSPC},
        Bad{"FlushFailsOtherwise", "NAME.SUA", kOld, 506, nullptr, 0, EIO}),
    [](const testing::TestParamInfo<Bad>& info) { return info.param.name; });

}  // namespace
}  // namespace qeb::zip
