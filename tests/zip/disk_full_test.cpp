// A real full disk: a child process with a file-size limit (and SIGXFSZ
// ignored, so a write past the limit fails with EFBIG instead of killing it)
// packs a file larger than the limit.

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "zip/zip_component.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {

#ifndef _WIN32
int32_t CompressUnderFileSizeLimit(const std::string& source, const std::string& archive,
                                   rlim_t limit) {
  int report[2];
  if (pipe(report) != 0) return -1;
  const pid_t child = fork();
  if (child == 0) {
    close(report[0]);
    const rlimit fsize{limit, limit};
    signal(SIGXFSZ, SIG_IGN);
    int32_t code = -2;
    if (setrlimit(RLIMIT_FSIZE, &fsize) == 0) {
      ZipComponent component;
      component.SourceFiles = source;
      component.ZipFilename = archive;
      code = component.Compress();
    }
    (void)!write(report[1], &code, sizeof code);
    _exit(0);
  }
  close(report[1]);
  int32_t code = -3;
  if (read(report[0], &code, sizeof code) != sizeof code) code = -4;
  close(report[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return code;
}

TEST(ZipComponentDiskFull, ReportsDiskFullAndLeavesNoTemporaryFile) {
  testing_zip::TempFolder folder;
  const std::string source =
      folder.Write("BIG.SUA", testing_zip::RandomBytes(1 << 20, 3));  // deflate cannot shrink it
  const std::string archive = folder.Write("BIG.ZIP", "an older archive");

  EXPECT_EQ(CompressUnderFileSizeLimit(source, archive, size_t{256} * 1024), 150);

  EXPECT_EQ(folder.List(), (std::vector<std::string>{"BIG.SUA", "BIG.ZIP"}));
  EXPECT_EQ(testing_zip::ReadAll(archive), "an older archive");
}
#endif

}  // namespace
}  // namespace qeb::zip
