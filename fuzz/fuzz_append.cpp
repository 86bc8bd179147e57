// Appends arbitrary data to a small source file with AppendSuaFile and compares
// the outcome with a step-by-step reading of the piece rules made here (and the
// fields with the targets' own reading of the record, validation_model.h): pieces
// of 32000 characters (the last one up to 32001), or of LongReg characters each
// followed by CR LF; a piece holding a 0x1A mark is read with one character
// fewer, which fails unless the mark was the piece's last character.
//
// The first input byte chooses the run: with its high bit set, record mode
// with LongReg 1..300 taken from it and the next byte; otherwise block mode,
// appending to the source itself (named in other letter case) when bit 6 is
// set. The rest of the input is the file to append.

#include <algorithm>
#include <cstdint>
#include <string>

#include "sua/append.h"
#include "sua/fixture.h"
#include "support/temp_folder.h"
#include "validation_model.h"

namespace {
using qeb::test_support::Exists;
using qeb::test_support::ReadAll;
using qeb::test_support::WriteAll;

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  static const qeb::test_support::TempFolder sandbox;
  const std::string_view input(reinterpret_cast<const char*>(bytes), size);
  const uint8_t choice = size > 0 ? bytes[0] : 0;
  const bool record_mode = (choice & 0x80) != 0, onto_itself = !record_mode && (choice & 0x40);
  const int16_t long_reg =
      record_mode
          ? static_cast<int16_t>(1 + (((choice & 0x7F) << 8) | (size > 1 ? bytes[1] : 0)) % 300)
          : 0;
  const std::string_view data = input.substr(std::min<size_t>(size, record_mode ? 2 : 1));
  // The source holds a mark and a line break of its own: it is copied as bytes.
  const std::string source = "ENCABEZADO\x1A\r\n";
  const std::string src = sandbox.Write("joined.sua", source);
  const std::string app = sandbox.Write("piece.su1", std::string(data));
  const std::string tgt = sandbox.Path(onto_itself ? "JOINED.SUA" : "target.sua");
  if (!onto_itself) WriteAll(tgt, "an older target, to be replaced");

  // The pieces as the rules describe them.
  bool done = true;
  std::string appended, read;
  const size_t piece = record_mode ? static_cast<size_t>(long_reg) : 32000;
  for (size_t at = 0; at < data.size() && data[at] != '\x1A';) {
    size_t count = data.size() - at > piece + 1 ? piece : data.size() - at;
    const size_t mark = data.substr(at, count).find('\x1A');
    if (mark != std::string_view::npos && mark != count - 1) {
      done = false;
      break;
    }
    if (mark != std::string_view::npos) --count;
    read.append(data.substr(at, count));
    appended.append(data.substr(at, count)).append(record_mode ? "\r\n" : "");
    at += count;
  }
  qeb::ValidationFields fields;
  fields.RegValDiscos = 4, fields.RegValIdent = "AB3DEF7H9JK", fields.RegValClave = "CLAVE-0001";
  const qeb::ValidationFields expected =
      done ? ModelFields(read.substr(std::max<size_t>(read.size(), 295) - 295), fields) : fields;

  const qeb::FileOutcome outcome = qeb::AppendSuaFile(fields, src, app, tgt, long_reg);
  // An unreadable piece is the caller's to report; what was read before a failure stays.
  Check(outcome.done() == done && !outcome.error());
  Check(ReadAll(onto_itself ? src : tgt) == source + appended);
  Check(ReadAll(app) == data);
  Check(onto_itself ? !Exists(tgt) : ReadAll(src) == source);
  Check(qeb::testing_sua::Text(fields) == qeb::testing_sua::Text(expected));
  return 0;
}
