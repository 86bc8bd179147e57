// The second half of the run: the piece count, the final name, the validation
// record, the name rule, and packing the joined file into its archive.

#include <cstdint>

#include "app/main_window.h"
#include "app/msg_error_zip.h"
#include "app/operator_texts.h"
#include "base/file_system.h"
#include "base/path_separator.h"
#include "base/run_error.h"
#include "sua/append.h"
#include "sua/paths.h"
#include "sua/validation_record.h"

namespace qeb {
namespace {

void DeleteIfPresent(const std::string& path) {
  if (FGExisteArch(path)) fs::DeleteFile(path);
}

}  // namespace

FQEB_SUA::Exit FQEB_SUA::CheckAndPack(const Intake& intake) {
  if (state_.DiscosLeidos != state_.RegValDiscos) {
    FGMensaje("E", kCantidadDeDiscos);
    return Exit::kError;
  }

  std::string final_name = intake.first_name;
  if (intake.split) final_name.back() = 'A';
  const std::string joined = intake.work_folder + kPathSeparator + final_name;
  if (intake.split) {
    DeleteIfPresent(joined);
    fs::RenameFile(intake.work_folder + kPathSeparator + intake.first_name, joined);
  } else if (!FGRegValFile(joined)) {
    FGMensaje("E", kNoValidado);
    return Exit::kError;
  }

  fs::SetCurrentFolder(intake.work_folder);

  if (!state_.RegValErroneo.empty()) {
    FGMensaje("E", kSinRegistroDeValidacion);
    DeleteIfPresent(joined);
    return Exit::kError;
  }
  if (!NameMatchesValidationRecord(final_name, state_)) {
    FGMensaje("E", kNombreNoGeneradoPorSua);
    DeleteIfPresent(joined);
    return Exit::kError;
  }

  if (FGExisteArch(joined)) Pack(joined);
  return Exit::kClosingReport;
}

void FQEB_SUA::Pack(const std::string& joined_path) {
  archivo_zip_ = joined_path.substr(0, joined_path.size() - 3) + "ZIP";
  xceed_zip1_.SourceFiles = joined_path;
  xceed_zip1_.ZipFilename = archivo_zip_;
  const int32_t result = xceed_zip1_.Compress();
  if (result < INT16_MIN || result > INT16_MAX) throw OverflowError();
  const auto code = static_cast<int16_t>(result);
  if (code == 0) {
    packed_ = true;
    fs::DeleteFile(joined_path);
  } else {
    FGMsgErrorZip(ws_, code);
    DeleteIfPresent(joined_path);
  }
}

// "FGAppendFile:2 No such file or directory": the operation's name, a colon,
// the number, one blank and the description.
bool FQEB_SUA::Reported(const FileOutcome& outcome, const std::string& operation) {
  if (outcome.error()) FGMensaje("E", operation + ":" + outcome.error()->OperatorText());
  return outcome.done();
}

bool FQEB_SUA::FGAppendFile(const std::string& src_file, const std::string& file_to_app,
                            const std::string& tgt_file, int16_t long_reg) {
  return Reported(AppendSuaFile(state_, src_file, file_to_app, tgt_file, long_reg), kAppendFile);
}

bool FQEB_SUA::FGRegValFile(const std::string& src_file) {
  return Reported(ReadValidationRecordOfFile(state_, src_file), kRegValFile);
}

}  // namespace qeb
