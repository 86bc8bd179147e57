#pragma once
// Appending one SUA file to another, and examining a whole file for its
// validation record. Both report unexpected file-system failures to the
// operator ("FGAppendFile:" / "FGRegValFile:", number, blank, description).

#include <cstdint>
#include <string>

#include "app/run_state.h"
#include "sua/sua_text_file.h"
#include "ui/window_system.h"

namespace qeb {

// Size of a piece in block mode.
inline constexpr int16_t kBlockLength = 32000;

// Reads the next piece of at most `pcarac` characters (all that remain when
// that is at most `pcarac` + 1) into `texto`; false when no piece could be read.
bool FGLeeCaractArch(SuaTextFile& fh, int16_t pcarac, std::string& texto);

// Makes `tgt_file` hold `src_file` followed by `file_to_app` (up to its end-of-
// data mark): in blocks when `long_reg` is 0, else in records of `long_reg`
// characters each followed by CR LF. Takes the validation record from the end
// of the appended data into `state`.
bool FGAppendFile(RunState& state, ui::WindowSystem& ws, const std::string& src_file,
                  const std::string& file_to_app, const std::string& tgt_file, int16_t long_reg);

// Reads the last 295 characters of `src_file` into the run state (or into
// RegValErroneo when they are no validation record). False when the file is
// missing or cannot be opened.
bool FGRegValFile(RunState& state, ui::WindowSystem& ws, const std::string& src_file);

}  // namespace qeb
