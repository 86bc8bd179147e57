// Peak memory of FGAppendFile in block mode for a 2 MB and a 200 MB SUA-like
// file. Block mode holds one piece and the last 295 characters whatever the
// size, so the two peaks must lie within 1 MB of each other. Each append runs
// in a fresh child process whose peak resident size the system reports.

#include <cstdio>

#ifdef _WIN32

int main() {
  std::puts("bench_append_memory: not supported on Windows");
  return 0;
}

#else

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "sua/append.h"

namespace {

namespace stdfs = std::filesystem;

constexpr size_t kRecordLength = 295;
constexpr long kAllowedDifferenceKb = 1024;

std::string Record(const std::string& type, size_t number) {
  std::string record(kRecordLength, ' ');
  record.replace(0, 2, type);
  const std::string digits = std::to_string(number);
  record.replace(10, digits.size(), digits);
  return record;
}

// Back-to-back 295-character records, the last one a validation record for
// one diskette; written a block at a time so that this process stays small.
void WriteSuaFile(const stdfs::path& path, size_t bytes) {
  const size_t records = bytes / kRecordLength;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string block;
  for (size_t i = 0; i + 1 < records; ++i) {
    block += Record("02", i);
    if (block.size() >= 1000 * kRecordLength) {
      out << block;
      block.clear();
    }
  }
  std::string last = Record("06", records);
  last.replace(66, 2, "01");
  out << block << last;
  if (!out.flush()) throw std::runtime_error("cannot write " + path.string());
}

struct Measure {
  long peak_kb = -1;
  double seconds = 0;
  bool ok = false;
};

// Appends `piece` to a one-record first file in a fresh child process.
Measure AppendInChild(const stdfs::path& folder, const stdfs::path& piece) {
  const stdfs::path joined = folder / "joined.sua";
  std::ofstream(joined, std::ios::binary | std::ios::trunc) << Record("01", 0);
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    qeb::ValidationFields fields;
    const bool ok =
        qeb::AppendSuaFile(fields, joined.string(), piece.string(), joined.string(), 0).done();
    _exit(ok && fields.RegValDiscos == 1 ? 0 : 1);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) != child) throw std::runtime_error("wait4 failed");
  Measure measure;
  measure.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  measure.peak_kb = usage.ru_maxrss;  // kilobytes on Linux
  measure.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
               stdfs::file_size(joined) == kRecordLength + stdfs::file_size(piece);
  return measure;
}

}  // namespace

int main() {
  const stdfs::path folder =
      stdfs::temp_directory_path() / ("qeb-bench-append-" + std::to_string(getpid()));
  stdfs::create_directories(folder);
  int result = 0;
  try {
    const stdfs::path small = folder / "small.su1";
    const stdfs::path large = folder / "large.su1";
    // Both files exist before the first child starts, so that both children
    // begin from the same parent.
    WriteSuaFile(small, 2u << 20);
    WriteSuaFile(large, 200u << 20);
    const Measure a = AppendInChild(folder, small);
    const Measure b = AppendInChild(folder, large);
    const long difference = b.peak_kb - a.peak_kb;
    std::printf("FGAppendFile, block mode, peak resident memory of the appending process:\n");
    std::printf("  2 MB file:   %6ld KB  (%.2f s)%s\n", a.peak_kb, a.seconds,
                a.ok ? "" : "  APPEND FAILED");
    std::printf("  200 MB file: %6ld KB  (%.2f s)%s\n", b.peak_kb, b.seconds,
                b.ok ? "" : "  APPEND FAILED");
    std::printf("  difference:  %6ld KB  (limit %ld KB)\n", difference, kAllowedDifferenceKb);
#if defined(__SANITIZE_ADDRESS__)
    // Freed pieces stay in AddressSanitizer's quarantine, so the peaks grow
    // with the number of pieces and say nothing about the program.
    std::printf("  not judged: AddressSanitizer keeps freed memory in quarantine\n");
    result = a.ok && b.ok ? 0 : 1;
#else
    result = a.ok && b.ok && difference < kAllowedDifferenceKb ? 0 : 1;
#endif
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_append_memory: %s\n", error.what());
    result = 2;
  }
  std::error_code ignored;
  stdfs::remove_all(folder, ignored);
  return result;
}

#endif
