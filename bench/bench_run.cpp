// The program's own run, unattended, over a set of diskette pieces: FQEB_SUA's
// Form_Load with a window system that answers by itself (it chooses the pieces
// in order, answers Yes to "¿Más diskettes?" until the last piece, then No,
// and OK to every other box). The run copies each piece into its work folder,
// appends it to the first, checks the piece count, the validation record and
// the name, and packs the joined file with the entry comment. The pieces lie
// on drive "A:": natively, a folder named "A:" in the current folder.
//
// Prints the wall time and its two parts (joining, up to the final No; then
// the checks, which take no measurable time, the packing and the closing
// report; for a whole file the copy falls in the second part), the CPU time
// (this process and its children), the peak resident memory and the
// archive's size, one "key value" line each.
//
//   bench_run [--work DIR] PIECES_DIR       pieces NAME.SU0, NAME.SU1, ...
//                                           or one whole NAME.SUA
//   bench_run [--work DIR] --generate small|large
//
// DIR is the program's folder; the run works in its work folder DIR/tmp, where
// it leaves the archive.
// The generated sets are those of bench/compare.sh: 5 diskettes of 1,457,664
// bytes, or 99 pieces of about 1.47 MB (146 MB in all).

#include <cstdio>

#ifdef _WIN32

int main() {
  std::puts("bench_run: not supported on Windows");
  return 0;
}

#else

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "app/operator_texts.h"
#include "base/file_system.h"
#include "bench/answering_window_system.h"
#include "tools/sua_sample.h"

namespace {

namespace stdfs = std::filesystem;

constexpr char kUsage[] = "usage: bench_run [--work DIR] (PIECES_DIR | --generate small|large)\n";
constexpr char kSampleName[] = "BENCH001";

class BenchError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct Options {
  std::string pieces_folder;
  std::string generate;  // "small", "large" or empty
  std::string work_folder;
};

Options ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--work" || arg == "--generate") && i + 1 < argc) {
      (arg == "--work" ? options.work_folder : options.generate) = argv[++i];
    } else if (!arg.starts_with("--") && options.pieces_folder.empty()) {
      options.pieces_folder = arg;
    } else {
      throw BenchError(std::string("unexpected argument ") + arg + "\n" + kUsage);
    }
  }
  if (options.pieces_folder.empty() == options.generate.empty() ||
      (!options.generate.empty() && options.generate != "small" && options.generate != "large"))
    throw BenchError(kUsage);
  return options;
}

// Writes the set in a child process, so that the whole data it is cut from
// never counts towards this process's peak memory.
void GenerateSet(const std::string& set, const std::string& folder) {
  const pid_t child = fork();
  if (child < 0) throw BenchError("fork failed");
  if (child == 0) {
    int status = 0;
    try {
      namespace sample = qeb::sample;
      const bool large = set == "large";
      const size_t records =
          large ? sample::RecordCountForSize(146'000'000)
                : 5 * sample::kDisketteFreeSpace / sample::kRecordLength;  // 5 diskettes
      const std::string data = sample::MakeSuaData(kSampleName, records, 1, 1);
      const sample::SplitSet split = large ? sample::MakeSplitSetOfCount(data, 99)
                                           : sample::MakeSplitSet(data, sample::kDisketteFreeSpace);
      sample::WritePieces(folder, kSampleName, split.pieces, false);
    } catch (const std::exception& error) {
      std::fprintf(stderr, "bench_run: %s\n", error.what());
      status = 1;
    }
    std::fflush(nullptr);
    _exit(status);
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw BenchError("generating the " + set + " set failed");
}

// NAME.SU0, NAME.SU1, ... in order, or the one NAME.SUA.
std::vector<std::string> FindPieces(const std::string& folder) {
  std::optional<std::string> stem;
  for (const auto& item : stdfs::directory_iterator(qeb::fs::ToPath(folder))) {
    const std::string name = qeb::fs::ToUtf8(item.path().filename());
    if (name.size() > 4 && (name.ends_with(".SU0") || name.ends_with(".SUA")))
      stem = name.substr(0, name.size() - 4);
  }
  if (!stem) throw BenchError("no NAME.SU0 or NAME.SUA in " + folder);
  const std::string base = folder + "/" + *stem;
  if (qeb::fs::RegularFileExists(base + ".SUA")) return {base + ".SUA"};
  std::vector<std::string> pieces;
  for (int n = 0; qeb::fs::RegularFileExists(base + ".SU" + std::to_string(n)); ++n)
    pieces.push_back(base + ".SU" + std::to_string(n));
  return pieces;
}

std::string NameOf(const std::string& path) {
  return qeb::fs::ToUtf8(qeb::fs::ToPath(path).filename());
}

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

double CpuSeconds() {
  rusage self{};
  rusage children{};
  getrusage(RUSAGE_SELF, &self);
  getrusage(RUSAGE_CHILDREN, &children);
  return Seconds(self.ru_utime) + Seconds(self.ru_stime) + Seconds(children.ru_utime) +
         Seconds(children.ru_stime);
}

long PeakResidentKb() {
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  return self.ru_maxrss;  // kilobytes on Linux
}

// A folder made for this run, removed with what it holds at the end.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string& role)
      : path_(stdfs::temp_directory_path() /
              ("qeb-bench-run-" + role + "-" + std::to_string(getpid()))) {
    stdfs::create_directories(path_);
  }
  ~ScratchFolder() {
    std::error_code ignored;
    stdfs::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  std::string path() const { return qeb::fs::ToUtf8(path_); }

 private:
  stdfs::path path_;
};

int Run(const Options& options) {
  std::optional<ScratchFolder> generated;
  std::string pieces_folder = options.pieces_folder;
  if (!options.generate.empty()) {
    generated.emplace("pieces");
    GenerateSet(options.generate, generated->path());
    pieces_folder = generated->path();
  }
  std::optional<ScratchFolder> own_program_folder;
  std::string program_folder = options.work_folder;
  if (program_folder.empty()) {
    own_program_folder.emplace("program");
    program_folder = own_program_folder->path();
  }
  if (!stdfs::is_directory(qeb::fs::ToPath(program_folder)))
    throw BenchError("no program folder " + program_folder);
  program_folder = qeb::fs::ToUtf8(stdfs::absolute(qeb::fs::ToPath(program_folder)));

  // Drive A: holds the pieces, as the folder "A:" in the current folder.
  const std::vector<std::string> pieces = FindPieces(pieces_folder);
  const ScratchFolder drives("drives");
  stdfs::create_directory_symlink(stdfs::absolute(qeb::fs::ToPath(pieces_folder)),
                                  qeb::fs::ToPath(drives.path() + "/A:"));
  stdfs::current_path(qeb::fs::ToPath(drives.path()));
  std::vector<std::string> on_drive_a;
  on_drive_a.reserve(pieces.size());
  for (const std::string& piece : pieces) on_drive_a.push_back("A:/" + NameOf(piece));
  qeb::bench::AnsweringWindowSystem ws(program_folder, on_drive_a);
  qeb::FQEB_SUA app(ws);

  const double cpu_start = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  app.Form_Load();
  const auto end = std::chrono::steady_clock::now();
  const double wall = std::chrono::duration<double>(end - start).count();
  const double cpu = CpuSeconds() - cpu_start;

  // The closing report names the archive; any other last box tells why not.
  const std::string report = ws.box_texts().empty() ? "" : ws.box_texts().back();
  const std::string copied_as = qeb::kCopiadoComo;
  if (!report.starts_with(copied_as)) {
    std::string seen;
    for (const std::string& text : ws.box_texts()) seen += "\n  " + text;
    throw BenchError("the run did not pack the pieces; its boxes:" + seen);
  }
  const std::string archive = report.substr(copied_as.size());
  // The archive stays where the run put it, as zip's does in compare.sh: its
  // removal is no part of the run.
  const uint64_t archive_size = stdfs::file_size(qeb::fs::ToPath(archive));
  const auto joined_at = ws.last_piece_answer();
  std::printf("pieces %zu\n", pieces.size());
  std::printf("wall_seconds %.3f\n", wall);
  std::printf("join_seconds %.3f\n", std::chrono::duration<double>(joined_at - start).count());
  std::printf("pack_seconds %.3f\n", std::chrono::duration<double>(end - joined_at).count());
  std::printf("cpu_seconds %.3f\n", cpu);
  std::printf("peak_rss_kb %ld\n", PeakResidentKb());
  std::printf("archive_bytes %llu\n", static_cast<unsigned long long>(archive_size));
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return Run(ParseOptions(argc, argv));
  } catch (const std::exception& error) {
    std::fprintf(stderr, "bench_run: %s\n", error.what());
    return 1;
  }
}

#endif
