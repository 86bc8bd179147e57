// gen_sua: writes a sample SUA payment file, whole or split into diskette
// pieces, whose validation record fits its name. Prints the files it wrote.

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "tools/sua_sample.h"

namespace {

using qeb::sample::kDisketteFreeSpace;

constexpr char kSynopsis[] =
    "usage: gen_sua --out DIR --name NAME8 [--records N | --size BYTES]\n"
    "               [--whole | --pieces N | --piece-size BYTES] [--disks N]\n"
    "               [--eof-mark] [--seed N] [--varied]\n";
constexpr char kOptions[] =
    "  --out DIR          folder to write to (created when missing)\n"
    "  --name NAME8       8 letters or digits; the validation record fits this name\n"
    "  --records N        number of 295-character records (default 10000)\n"
    "  --size BYTES       at least this many bytes, in whole records\n"
    "  --whole            one file NAME8.SUA stating 1 diskette\n"
    "  --pieces N         N pieces NAME8.SU0 ... of nearly equal size\n"
    "  --piece-size BYTES pieces of at most BYTES (default 1457664, a 1.44 MB diskette)\n"
    "  --disks N          write N (0-99) as the disk count instead of the piece count\n"
    "  --eof-mark         end every file with one 0x1A\n"
    "  --seed N           seed of the generated contents (default 1)\n"
    "  --varied           fuller, more varied records (zip -6 about 4.3:1, not 8:1)\n";

struct Options {
  std::string out;
  std::string name;
  size_t records = 10000;
  bool whole = false;
  std::optional<size_t> pieces;
  size_t piece_size = kDisketteFreeSpace;
  std::optional<int> disks;
  bool eof_mark = false;
  uint64_t seed = 1;
  bool varied = false;
};

class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

template <typename Number>
Number ParseNumber(const std::string& option, const std::string& text) {
  Number value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (error != std::errc() || stop != end || text.empty()) {
    throw UsageError(option + " needs a number, not \"" + text + "\"");
  }
  return value;
}

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  int splits = 0;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& option = args[i];
    auto value = [&]() -> const std::string& {
      if (i + 1 >= args.size()) throw UsageError(option + " needs a value");
      return args[++i];
    };
    if (option == "--out") {
      options.out = value();
    } else if (option == "--name") {
      options.name = value();
    } else if (option == "--records") {
      options.records = ParseNumber<size_t>(option, value());
    } else if (option == "--size") {
      options.records = qeb::sample::RecordCountForSize(ParseNumber<size_t>(option, value()));
    } else if (option == "--whole") {
      options.whole = true;
      ++splits;
    } else if (option == "--pieces") {
      options.pieces = ParseNumber<size_t>(option, value());
      ++splits;
    } else if (option == "--piece-size") {
      options.piece_size = ParseNumber<size_t>(option, value());
      ++splits;
    } else if (option == "--disks") {
      options.disks = ParseNumber<int>(option, value());
    } else if (option == "--eof-mark") {
      options.eof_mark = true;
    } else if (option == "--varied") {
      options.varied = true;
    } else if (option == "--seed") {
      options.seed = ParseNumber<uint64_t>(option, value());
    } else {
      throw UsageError("unknown option " + option);
    }
  }
  if (options.out.empty() || options.name.empty()) throw UsageError("--out and --name are needed");
  if (splits > 1) throw UsageError("choose one of --whole, --pieces, --piece-size");
  return options;
}

std::vector<std::string> Generate(const Options& options) {
  const qeb::sample::Records records =
      options.varied ? qeb::sample::Records::kVaried : qeb::sample::Records::kUsual;
  std::string data =
      qeb::sample::MakeSuaData(options.name, options.records, options.seed, 1, records);
  if (options.whole) {
    if (options.disks) qeb::sample::SetDiskCount(data, *options.disks);
    return qeb::sample::WriteWholeFile(options.out, options.name, data, options.eof_mark);
  }
  qeb::sample::SplitSet set = options.pieces
                                  ? qeb::sample::MakeSplitSetOfCount(data, *options.pieces)
                                  : qeb::sample::MakeSplitSet(data, options.piece_size);
  if (options.disks) qeb::sample::SetDiskCount(set.pieces.back(), *options.disks);
  return qeb::sample::WritePieces(options.out, options.name, set.pieces, options.eof_mark);
}

int Run(const std::vector<std::string>& args) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(kSynopsis, stdout);
    std::fputs(kOptions, stdout);
    return 0;
  }
  try {
    for (const std::string& path : Generate(ParseOptions(args))) std::printf("%s\n", path.c_str());
    return 0;
  } catch (const UsageError& error) {
    std::fprintf(stderr, "gen_sua: %s\n%s(--help lists the options)\n", error.what(), kSynopsis);
    return 2;
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "gen_sua: %s\n", error.what());
    return 2;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "gen_sua: %s\n", error.what());
    return 1;
  }
}

}  // namespace

#ifdef _WIN32
// Wide arguments, so that a folder name outside the code page arrives whole.
int wmain(int argc, wchar_t** argv) {
  std::vector<std::string> args;
  for (int i = 1; i < argc; ++i) {
    const std::u8string text = std::filesystem::path(argv[i]).u8string();
    args.emplace_back(text.begin(), text.end());
  }
  return Run(args);
}
#else
int main(int argc, char** argv) {
  return Run(std::vector<std::string>(argv + 1, argv + argc));
}
#endif
