#pragma once
// Appending one SUA file to another, and examining a whole file for its
// validation record. Neither speaks to the operator: an unexpected file-system
// failure comes back in the outcome for the caller to report.

#include <cstdint>
#include <string>

#include "sua/file_outcome.h"
#include "sua/sua_text_file.h"
#include "sua/validation_record.h"

namespace qeb {

// Size of a piece in block mode.
inline constexpr int16_t kBlockLength = 32000;

// Reads the next piece of at most `pcarac` characters (all that remain when
// that is at most `pcarac` + 1) into `texto`; false when no piece could be read.
bool FGLeeCaractArch(SuaTextFile& fh, int16_t pcarac, std::string& texto);

// Makes `tgt_file` hold `src_file` followed by `file_to_app` (up to its end-of-
// data mark): in blocks when `long_reg` is 0, else in records of `long_reg`
// characters each followed by CR LF. Takes the validation record from the end
// of the appended data into `fields`. Fails silently when a file is missing
// or a piece cannot be read; with the error when a copy, open, write, flush
// or close fails.
FileOutcome AppendSuaFile(ValidationFields& fields, const std::string& src_file,
                          const std::string& file_to_app, const std::string& tgt_file,
                          int16_t long_reg);

// Reads the last 295 characters of `src_file` into `fields` (or into
// RegValErroneo when they are no validation record). Fails silently when the
// file is missing, with the error when it cannot be opened.
FileOutcome ReadValidationRecordOfFile(ValidationFields& fields, const std::string& src_file);

}  // namespace qeb
