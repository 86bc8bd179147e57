// Appends arbitrary data to a small source file with AppendSuaFile and compares
// the outcome with a step-by-step reading of the piece rules made here: pieces
// of 32000 characters (the last one up to 32001), or of LongReg characters each
// followed by CR LF; a read that runs into a 0x1A mark is tried once more with
// one character fewer, and fails when the mark is not the piece's last
// character. The answer, the target's bytes and the run state must agree.
//
// The first input byte chooses the run: with its high bit set, record mode
// with LongReg 1..300 taken from it and the next byte; otherwise block mode,
// appending to the source itself (named in other letter case) when bit 6 is
// set. The rest of the input is the file to append.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>

#include <unistd.h>

#include "sua/append.h"
#include "sua/validation_record.h"

namespace {
namespace stdfs = std::filesystem;
using RunState = qeb::ValidationFields;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

constexpr size_t kBlock = 32000;
constexpr size_t kTailLength = 295;
constexpr char kMark = 0x1A;
// The source holds a mark and a line break of its own: it is copied as bytes.
constexpr std::string_view kSource = "ENCABEZADO\x1A\r\n";

// Where the data goes and whether the run should succeed.
struct Expected {
  bool result = true;
  std::string appended;  // what follows the source in the target
  std::string read;      // all the characters read from the file to append
};

// Piece by piece, as the reading rules describe it.
Expected Simulate(std::string_view data, size_t piece_length, bool record_mode) {
  Expected expected;
  size_t at = 0;
  while (at < data.size() && data[at] != kMark) {
    const size_t remaining = data.size() - at;
    const size_t count = remaining > piece_length + 1 ? piece_length : remaining;
    const size_t mark = data.substr(at, count).find(kMark);
    size_t got = count;
    if (mark != std::string_view::npos) {
      // One character fewer, from the same place: only a mark at the very end
      // of the requested piece lets that second read through.
      if (mark != count - 1) {
        expected.result = false;
        break;
      }
      got = count - 1;
    }
    expected.appended.append(data.substr(at, got));
    if (record_mode) expected.appended += "\r\n";
    expected.read.append(data.substr(at, got));
    at += got;
  }
  return expected;
}

std::string ReadAll(const stdfs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const stdfs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  Check(out.good());
}

// A folder of this process's own, in memory where there is one (the target is
// flushed to disk on every run), removed at exit.
class Sandbox {
 public:
  Sandbox() {
    const stdfs::path base =
        stdfs::is_directory("/dev/shm") ? stdfs::path("/dev/shm") : stdfs::temp_directory_path();
    path_ = base / ("fuzz_append_" + std::to_string(getpid()));
    stdfs::create_directories(path_);
  }
  ~Sandbox() {
    std::error_code ignored;
    stdfs::remove_all(path_, ignored);
  }
  const stdfs::path& path() const { return path_; }

 private:
  stdfs::path path_;
};

RunState PreviousValues() {
  RunState state;
  state.RegValDiscos = 4;
  state.RegValIdent = "AB3DEF7H9JK";
  state.RegValCodigo = "XX0307";
  state.RegValInicial = "Sabc";
  state.RegValClave = "CLAVE-ANTERIOR-0001";
  return state;
}

bool SameState(const RunState& a, const RunState& b) {
  return a.RegValDiscos == b.RegValDiscos && a.RegValErroneo == b.RegValErroneo &&
         a.RegValIdent == b.RegValIdent && a.RegValCodigo == b.RegValCodigo &&
         a.RegValInicial == b.RegValInicial && a.RegValClave == b.RegValClave;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const Sandbox sandbox;
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const uint8_t choice = size > 0 ? bytes[0] : 0;
  const bool record_mode = (choice & 0x80) != 0;
  const bool onto_itself = !record_mode && (choice & 0x40) != 0;
  int16_t long_reg = 0;
  std::string_view piece = input.substr(std::min<size_t>(size, 1));
  if (record_mode) {
    const unsigned high = choice & 0x7F, low = size > 1 ? bytes[1] : 0;
    long_reg = static_cast<int16_t>(1 + ((high << 8) | low) % 300);
    piece = input.substr(std::min<size_t>(size, 2));
  }

  const stdfs::path src = sandbox.path() / "joined.sua";
  const stdfs::path to_append = sandbox.path() / "piece.su1";
  const stdfs::path tgt = sandbox.path() / (onto_itself ? "JOINED.SUA" : "target.sua");
  const stdfs::path written = onto_itself ? src : tgt;
  WriteAll(src, kSource);
  WriteAll(to_append, piece);
  if (!onto_itself) WriteAll(tgt, "an older target, to be replaced");

  static const RunState previous = PreviousValues();
  RunState state = previous;
  const qeb::FileOutcome outcome =
      qeb::AppendSuaFile(state, src.string(), to_append.string(), tgt.string(), long_reg);
  const bool result = outcome.done();

  const Expected expected =
      Simulate(piece, record_mode ? static_cast<size_t>(long_reg) : kBlock, record_mode);
  Check(result == expected.result);
  // Whatever was read before a failure stays in the target.
  Check(ReadAll(written) == std::string(kSource) + expected.appended);
  Check(ReadAll(to_append) == piece);
  if (onto_itself)
    Check(!stdfs::exists(tgt));
  else
    Check(ReadAll(src) == kSource);
  // An unreadable piece is the caller's to report.
  Check(!outcome.error().has_value());

  RunState expected_state = previous;
  if (expected.result) {
    const std::string_view read = expected.read;
    qeb::ExtractValidationFields(read.substr(read.size() - std::min(read.size(), kTailLength)),
                                 expected_state);
  }
  Check(SameState(state, expected_state));
  return 0;
}
