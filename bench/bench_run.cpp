// The part of a run that needs no operator, over a set of diskette pieces:
// each piece is copied into a work folder and appended to the first in block
// mode, the validation record is checked against the piece count and the
// name, and the joined file is packed with the entry comment. Prints the wall
// time (and its two parts: joining and checking, then packing), the CPU time
// (this process and its children), the peak resident memory and the
// archive's size, one "key value" line each.
//
//   bench_run [--work DIR] PIECES_DIR       pieces NAME.SU0, NAME.SU1, ...
//                                           or one whole NAME.SUA
//   bench_run [--work DIR] --generate small|large
//
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

#include "app/run_state.h"
#include "base/code_page.h"
#include "base/file_system.h"
#include "sua/append.h"
#include "sua/validation_record.h"
#include "tools/sua_sample.h"
#include "zip/cifra_xor.h"
#include "zip/zip_component.h"

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

// The joined file in the work folder, its validation fields in `state`.
std::string JoinPieces(const std::vector<std::string>& pieces, const std::string& work,
                       qeb::RunState& state) {
  std::string final_name = NameOf(pieces.front());
  std::string first_copy = work + "/" + final_name;
  qeb::fs::CopyFile(pieces.front(), first_copy);
  state.DiscosLeidos = 1;
  if (final_name.back() == 'A') {
    state.RegValDiscos = 1;
    if (!qeb::ReadValidationRecordOfFile(state, first_copy).done())
      throw BenchError("FGRegValFile failed");
    return first_copy;
  }
  for (size_t i = 1; i < pieces.size(); ++i) {
    const std::string piece_copy = work + "/" + NameOf(pieces[i]);
    qeb::fs::CopyFile(pieces[i], piece_copy);
    if (!qeb::AppendSuaFile(state, first_copy, piece_copy, first_copy, 0).done())
      throw BenchError("FGAppendFile failed on " + pieces[i]);
    qeb::fs::DeleteFile(piece_copy);
    ++state.DiscosLeidos;
  }
  final_name.back() = 'A';
  std::string joined = work + "/" + final_name;
  qeb::fs::RenameFile(first_copy, joined);
  return joined;
}

void CheckJoined(const std::string& joined, const qeb::RunState& state) {
  if (state.DiscosLeidos != state.RegValDiscos) throw BenchError("piece count differs");
  if (!state.RegValErroneo.empty()) throw BenchError("no validation record");
  if (!qeb::NameMatchesValidationRecord(NameOf(joined), state))
    throw BenchError("name does not match the validation record");
}

// Packs the joined file as the run does and deletes it; the archive's path.
std::string Pack(const std::string& joined, const qeb::RunState& state) {
  qeb::zip::ZipComponent component;
  component.SourceFiles = joined;
  component.ZipFilename = joined.substr(0, joined.size() - 3) + "ZIP";
  component.PreZipFile = [&](std::string& comment, const std::string&) {
    comment =
        qeb::zip::FGCifraXor(qeb::Utf8ToCp1252(state.RegValClave), qeb::zip::kLlaveComentario);
  };
  const int32_t code = component.Compress();
  if (code != 0) throw BenchError("Compress returned " + std::to_string(code));
  qeb::fs::DeleteFile(joined);
  return component.ZipFilename;
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
  std::optional<ScratchFolder> own_work;
  std::string work = options.work_folder;
  if (work.empty()) {
    own_work.emplace("work");
    work = own_work->path();
  }
  if (!stdfs::is_directory(qeb::fs::ToPath(work))) throw BenchError("no work folder " + work);

  const std::vector<std::string> pieces = FindPieces(pieces_folder);
  const double cpu_start = CpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  qeb::RunState state;
  const std::string joined = JoinPieces(pieces, work, state);
  CheckJoined(joined, state);
  const auto joined_at = std::chrono::steady_clock::now();
  const std::string archive = Pack(joined, state);
  const auto end = std::chrono::steady_clock::now();
  const double wall = std::chrono::duration<double>(end - start).count();
  const double cpu = CpuSeconds() - cpu_start;

  const uint64_t archive_size = stdfs::file_size(qeb::fs::ToPath(archive));
  qeb::fs::DeleteFile(archive);
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
