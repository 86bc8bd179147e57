#include "sua/append.h"

#include <cstdint>
#include <exception>
#include <optional>
#include <string_view>

#include "base/code_page.h"
#include "base/file_system.h"
#include "base/run_error.h"
#include "sua/paths.h"
#include "sua/validation_record.h"

namespace qeb {
namespace {

constexpr std::string_view kLineBreak = "\r\n";

// Blocks are gathered and written 128 KiB at a time: written one by one, they
// made the join about a third slower.
constexpr size_t kWriteBatch = size_t{128} * 1024;
// The most one read takes: a record, and one character more at the end.
constexpr size_t kLargestPiece = size_t{INT16_MAX} + 1;

// Names that differ only in letter case name the same file on Windows.
bool SameFileName(const std::string& a, const std::string& b) {
  return EqualIgnoringCase(std::string_view(a), std::string_view(b));
}

// Keeps in `tail` the last characters of everything passed in, at most the
// length of a validation record.
void KeepTail(std::string& tail, const std::string& piece) {
  if (piece.size() >= kValidationRecordLength) {
    tail.assign(piece, piece.size() - kValidationRecordLength);
    return;
  }
  tail += piece;
  if (tail.size() > kValidationRecordLength) tail.erase(0, tail.size() - kValidationRecordLength);
}

// Writes and empties `data`. A lost write leaves the joined file unusable, so
// the operator hears of it; so does a failure to close it.
std::optional<RunError> WriteOut(fs::File& target, std::string& data) {
  try {
    target.Write(data.data(), data.size());
  } catch (const RunError& error) {
    return error;
  }
  data.clear();
  return std::nullopt;
}

}  // namespace

// A piece holds at least one character: a read that could deliver none is a
// failure, so a caller that reads until the end always moves on.
bool FGLeeCaractArch(SuaTextFile& fh, int16_t pcarac, std::string& texto) {
  try {
    if (pcarac < 1) return false;
    const uint64_t start = fh.Position();
    const uint64_t remaining = fh.Length() >= start ? fh.Length() - start + 1 : 0;
    uint64_t count = remaining > static_cast<uint64_t>(pcarac) + 1 ? pcarac : remaining;
    if (count == 0) return false;
    try {
      fh.Read(count, texto);
      return true;
    } catch (const RunError& error) {
      if (error.number() != kErrPastEndOfFile) return false;
    }
    // The data ends inside the piece; if it ends at the piece's last character
    // (a final end-of-data mark), one character fewer can still be read.
    if (--count == 0) return false;
    fh.SetPosition(start);
    fh.Read(count, texto);
    return true;
  } catch (const std::exception&) {
    return false;  // including a piece too large for the memory left
  }
}

FileOutcome AppendSuaFile(ValidationFields& fields, const std::string& src_file,
                          const std::string& file_to_app, const std::string& tgt_file,
                          int16_t long_reg) {
  if (!FGExisteArch(src_file) || !FGExisteArch(file_to_app)) return FileOutcome::FailedSilently();
  const bool record_mode = long_reg != 0;

  // Both files are closed by their owners on every path; a failure to close
  // the source is passed over.
  std::optional<fs::File> target;
  std::optional<SuaTextFile> source;
  try {
    // When the target is the source, the data goes to the end of the source.
    const bool same_file = SameFileName(tgt_file, src_file);
    if (!same_file) fs::CopyFile(src_file, tgt_file);
    target.emplace(fs::File::Open(same_file ? src_file : tgt_file, fs::File::Mode::kAppend));
    source.emplace(file_to_app);
  } catch (const RunError& error) {
    return FileOutcome::Failed(error);
  }

  std::string tail;
  // At most a batch and one piece, reserved at once: grown step by step, its
  // pages were mapped afresh for every piece.
  std::string unwritten;
  unwritten.reserve(kWriteBatch + kLargestPiece + kLineBreak.size());
  while (!source->AtEnd()) {
    std::string piece;
    if (!FGLeeCaractArch(*source, record_mode ? long_reg : kBlockLength, piece)) {
      // What was read before stays in the target, as if written at once.
      if (auto error = WriteOut(*target, unwritten)) return FileOutcome::Failed(*error);
      return FileOutcome::FailedSilently();
    }
    unwritten += piece;
    if (record_mode) unwritten += kLineBreak;
    KeepTail(tail, piece);
    if (unwritten.size() < kWriteBatch) continue;
    if (auto error = WriteOut(*target, unwritten)) return FileOutcome::Failed(*error);
  }
  if (auto error = WriteOut(*target, unwritten)) return FileOutcome::Failed(*error);

  source->Close();
  // The joined file is a work file: the diskettes stay the source until it has
  // been packed and deleted, so it is not forced to the disk after each piece.
  // The archive is, before it takes its place.
  try {
    target->Close();
  } catch (const RunError& error) {
    return FileOutcome::Failed(error);
  }
  ExtractValidationFields(tail, fields);
  return FileOutcome::Done();
}

FileOutcome ReadValidationRecordOfFile(ValidationFields& fields, const std::string& src_file) {
  if (!FGExisteArch(src_file)) return FileOutcome::FailedSilently();
  std::optional<SuaTextFile> file;
  try {
    file.emplace(src_file);
  } catch (const RunError& error) {
    return FileOutcome::Failed(error);
  }

  // From here a failing step is passed over: a file shorter than a record, or
  // with an end-of-data mark among its last characters, gives an empty tail.
  std::string tail;
  try {
    if (file->Length() >= kValidationRecordLength)
      file->SetPosition(file->Length() - kValidationRecordLength + 1);
    file->Read(kValidationRecordLength, tail);
  } catch (const std::exception&) {
  }
  if (!tail.starts_with(kValidationRecordType)) fields.RegValErroneo = Cp1252ToUtf8(tail);
  ExtractValidationFields(tail, fields);
  return FileOutcome::Done();
}

}  // namespace qeb
