// The second half of the run: the piece count, the final name, the validation
// record, the name rule, packing the joined file into its archive with the
// entry's comment, and the closing report.

#include <cstdint>
#include <utility>

#include "app/main_window.h"
#include "app/msg_error_zip.h"
#include "app/operator_texts.h"
#include "base/code_page.h"
#include "base/file_system.h"
#include "base/run_error.h"
#include "sua/append.h"
#include "sua/paths.h"
#include "sua/validation_record.h"
#include "ui/progress_window.h"
#include "zip/cifra_xor.h"

namespace qeb {
namespace {

void DeleteIfPresent(const std::string& path) {
  if (FGExisteArch(path)) fs::DeleteFile(path);
}

}  // namespace

FQEB_SUA::Exit FQEB_SUA::CheckAndPack(const RunValues& run) {
  if (state_.DiscosLeidos != state_.RegValDiscos) {
    FGMensaje("E", kCantidadDeDiscos);
    return Exit::kError;
  }

  if (run.split) {
    DeleteIfPresent(run.joined);
    fs::RenameFile(run.first_copy, run.joined);
  } else if (!FGRegValFile(run.joined)) {
    FGMensaje("E", kNoValidado);
    return Exit::kError;
  }

  fs::SetCurrentFolder(run.work_folder);

  if (!state_.RegValErroneo.empty()) {
    FGMensaje("E", kSinRegistroDeValidacion);
    DeleteIfPresent(run.joined);
    return Exit::kError;
  }
  if (!NameMatchesValidationRecord(run.final_name, state_)) {
    FGMensaje("E", kNombreNoGeneradoPorSua);
    DeleteIfPresent(run.joined);
    return Exit::kError;
  }

  if (FGExisteArch(run.joined)) Pack(run);
  return Exit::kClosingReport;
}

void FQEB_SUA::Pack(const RunValues& run) {
  ArchivoZIP = run.archive;
  xceed_zip1_.SourceFiles = run.joined;
  xceed_zip1_.ZipFilename = ArchivoZIP;
  int32_t result = 0;
  ws_.RunWhileAnswering([&] { result = xceed_zip1_.Compress(); });
  if (!std::in_range<int16_t>(result)) throw OverflowError();
  const auto code = static_cast<int16_t>(result);
  if (code == 0) {
    packed_ = true;
    fs::DeleteFile(run.joined);
  } else {
    FGMsgErrorZip(ws_, code);
    DeleteIfPresent(run.joined);
  }
}

void FQEB_SUA::PreZipFile(std::string& comment, const std::string& /*source*/) const {
  // The scrambler works on the code-page characters the record was written in.
  comment = zip::FGCifraXor(Utf8ToCp1252(state_.RegValClave), zip::kLlaveComentario);
}

bool FQEB_SUA::FGRegValFile(const std::string& src_file) {
  return FileOperationDone(ReadValidationRecordOfFile(state_, src_file), kRegValFile);
}

void FQEB_SUA::ClosingReport() {
  // Every failure here is passed over.
  try {
    ui::FGMsgEspera(ws_, 0, "");
    if (state_.DiscosLeidos == 0) return;
    // Only an archive that this run's packing completed is reported as written;
    // an archive left by an earlier run does not count.
    if (packed_ && FGExisteArch(ArchivoZIP))
      FGMensaje("I", kCopiadoComo + ArchivoZIP);
    else
      FGMensaje("E", kNoCopiado);
  } catch (...) {  // NOLINT(bugprone-empty-catch)
  }
}

}  // namespace qeb
