// The run: the first diskette prompt, the intake of the first file and, for a
// split file, of every further piece. Checking and packing follow in
// check_and_pack.cpp.

#include <filesystem>
#include <system_error>

#include "app/error_trap.h"
#include "app/main_window.h"
#include "app/operator_texts.h"
#include "base/code_page.h"
#include "base/file_system.h"
#include "base/path_separator.h"
#include "base/run_error.h"
#include "sua/append.h"
#include "sua/paths.h"
#include "ui/progress_window.h"

namespace qeb {
namespace {

constexpr int kDialogFlags = ui::kDialogFileMustExist + ui::kDialogHideReadOnly;

char LastCharacterUpperCased(const std::string& text) {
  if (text.empty()) return '\0';
  return AsciiUpperCase(text.back());
}

bool SameFolder(const std::string& a, const std::string& b) {
  if (EqualIgnoringCase(std::string_view(a), std::string_view(b))) return true;
  std::error_code code;
  return std::filesystem::equivalent(fs::ToPath(a), fs::ToPath(b), code) && !code;
}

}  // namespace

void FQEB_SUA::Concatena_SUAs() {
  Exit exit = Exit::kError;
  try {
    exit = WithRunErrors([&] { return RunSteps(); });
  } catch (const RunError& error) {
    // The error exit: steps that showed their own message leave no error.
    ReportError(error.number(), error.description());
    return;
  }
  if (exit == Exit::kClosingReport) ClosingReport();
}

ui::OpenDialogResult FQEB_SUA::OpenDialog() {
  // Errors around the opening of the dialog are its own outcome.
  try {
    return ws_.ShowOpenDialog(cm_dialog1_);
  } catch (const RunError& error) {
    return {ui::OpenDialogResult::Outcome::kFailed, "", error.number(), error.description()};
  }
}

FQEB_SUA::Exit FQEB_SUA::RunSteps() {
  ui::FGMsgEspera(ws_, 1, kPreparando);
  cm_dialog1_.file_name.clear();
  state_.DiscosLeidos = 0;
  state_.RegValDiscos = 0;
  ws_.MessageBox(FirstDisketteText(state_.DiscosLeidos),
                 ApplicationTitle(kConcatenacion, kVersionPrimerAviso), ui::kIconInformation);
  cm_dialog1_.initial_folder = "A:";
  cm_dialog1_.filter = kFiltroPrimerArchivo;
  cm_dialog1_.flags = kDialogFlags;
  cm_dialog1_.filter_index = 1;
  cm_dialog1_.cancel_error = true;
  cm_dialog1_.title = DialogTitle(state_.TituloApp);
  ui::FGMsgEspera(ws_, 0, "");

  const ui::OpenDialogResult chosen = OpenDialog();
  if (chosen.outcome == ui::OpenDialogResult::Outcome::kCancelled) return Exit::kClosingReport;
  if (chosen.outcome == ui::OpenDialogResult::Outcome::kFailed)
    throw RunError(chosen.error_number, chosen.error_description);

  Intake intake;
  Exit exit = IntakeFirstFile(chosen.path, intake);
  if (exit == Exit::kContinue && intake.split) exit = AppendFurtherPieces(intake);
  if (exit == Exit::kContinue) exit = CheckAndPack(intake);
  return exit;
}

FQEB_SUA::Exit FQEB_SUA::IntakeFirstFile(const std::string& chosen, Intake& intake) {
  ui::FGMsgEspera(ws_, 1, kPreparando);
  FGSeparaRuta(chosen, intake.first_name, intake.first_folder);
  intake.drive = chosen.substr(0, 2);
  intake.work_folder = state_.RutaApp + "tmp";

  switch (LastCharacterUpperCased(intake.first_name)) {
    case 'A':  // a file that came whole
      intake.split = false;
      state_.RegValDiscos = 1;
      break;
    case '0':  // piece 0 comes only from a diskette drive
      if (intake.drive != "A:" && intake.drive != "B:") {
        FGMensaje("E", kNombreNoCorresponde);
        return Exit::kError;
      }
      break;
    case '1':
      break;
    default:
      FGMensaje("E", kNombreNoCorresponde);
      return Exit::kError;
  }

  if (FGExisteArch(intake.first_folder + intake.first_name)) {
    if (!fs::FolderExists(intake.work_folder)) fs::CreateFolder(intake.work_folder);
    fs::CopyFile(chosen, intake.work_folder + kPathSeparator + intake.first_name);
  }
  state_.DiscosLeidos = 1;
  return Exit::kContinue;
}

bool FQEB_SUA::IsPieceUnsafe(const Intake& intake, const std::string& piece_name,
                             const std::string& piece_folder) const {
  // A piece of the first file's name, or one taken from the work folder,
  // would be copied onto a file the run is working on.
  return EqualIgnoringCase(std::string_view(piece_name), std::string_view(intake.first_name)) ||
         SameFolder(piece_folder, intake.work_folder + kPathSeparator);
}

FQEB_SUA::Exit FQEB_SUA::AppendFurtherPieces(const Intake& intake) {
  const std::string first_copy = intake.work_folder + kPathSeparator + intake.first_name;
  ws_.Beep();
  for (;;) {
    if (FGMensaje("YN", kMasDiskettes) != ui::kAnswerYes) return Exit::kContinue;
    if (FGMensaje("OC", DisketteText(state_.DiscosLeidos, intake.drive)) == ui::kAnswerCancel)
      return Exit::kClosingReport;

    cm_dialog1_.filter = PieceFilter(state_.DiscosLeidos);
    cm_dialog1_.initial_folder = intake.first_folder;
    cm_dialog1_.file_name.clear();
    cm_dialog1_.flags = kDialogFlags;
    cm_dialog1_.filter_index = 1;
    cm_dialog1_.cancel_error = true;
    cm_dialog1_.title = DialogTitle(state_.TituloApp);
    const ui::OpenDialogResult chosen = OpenDialog();
    if (chosen.outcome == ui::OpenDialogResult::Outcome::kCancelled) return Exit::kClosingReport;
    if (chosen.outcome == ui::OpenDialogResult::Outcome::kFailed)
      throw RunError(chosen.error_number, chosen.error_description);

    std::string piece_name;
    std::string piece_folder;
    FGSeparaRuta(chosen.path, piece_name, piece_folder);
    if (IsPieceUnsafe(intake, piece_name, piece_folder)) {
      FGMensaje("E", kNoConcatenado);
      return Exit::kError;
    }
    const std::string piece_copy = intake.work_folder + kPathSeparator + piece_name;
    if (FGExisteArch(piece_copy)) fs::DeleteFile(piece_copy);
    fs::CopyFile(piece_folder + piece_name, piece_copy);

    if (!FGAppendFile(first_copy, piece_copy, first_copy, 0)) {
      if (fs::AnythingExists(piece_copy)) fs::DeleteFile(piece_copy);
      FGMensaje("E", kNoConcatenado);
      return Exit::kError;
    }
    fs::DeleteFile(piece_copy);
    ws_.Beep();
    if (state_.DiscosLeidos == INT16_MAX) throw OverflowError();
    ++state_.DiscosLeidos;
  }
}

void FQEB_SUA::ClosingReport() {
  // Every failure here is passed over.
  try {
    ui::FGMsgEspera(ws_, 0, "");
    if (state_.DiscosLeidos == 0) return;
    // Only an archive that this run's packing completed is reported as written;
    // an archive left by an earlier run does not count.
    if (packed_ && FGExisteArch(archivo_zip_))
      FGMensaje("I", kCopiadoComo + archivo_zip_);
    else
      FGMensaje("E", kNoCopiado);
  } catch (const RunError&) {  // NOLINT(bugprone-empty-catch)
  }
}

}  // namespace qeb
