// The run's frame and its intake: the first diskette prompt, the first file
// and, for a split file, every further piece appended to it. The checks, the
// packing and the closing report follow in check_and_pack.cpp.

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

// Whether two paths name one file or folder.
bool IsSameFile(const std::string& a, const std::string& b) {
  if (EqualIgnoringCase(std::string_view(a), std::string_view(b))) return true;
  std::error_code code;
  return std::filesystem::equivalent(fs::ToPath(a), fs::ToPath(b), code) && !code;
}

}  // namespace

void FQEB_SUA::RunValues::PlaceInWorkFolder(const std::string& folder) {
  work_folder = folder;
  first_copy = InWorkFolder(first_name);
  final_name = first_name;
  if (split) final_name.back() = 'A';
  joined = InWorkFolder(final_name);
  archive = joined.substr(0, joined.size() - 3) + "ZIP";
}

std::string FQEB_SUA::RunValues::InWorkFolder(const std::string& name) const {
  return work_folder + kPathSeparator + name;
}

void FQEB_SUA::Concatena_SUAs() {
  Exit exit = Exit::kError;
  try {
    exit = WithRunErrors([&] { return RunSteps(); });
  } catch (const RunError& error) {
    // The error exit: steps that showed their own message leave no error.
    ReportError(error);
    return;
  }
  if (exit == Exit::kClosingReport) ClosingReport();
}

void FQEB_SUA::SetUpDialog(const std::string& initial_folder, const std::string& filter) {
  cm_dialog1_.file_name.clear();
  cm_dialog1_.initial_folder = initial_folder;
  cm_dialog1_.filter = filter;
  cm_dialog1_.flags = kDialogFlags;
  cm_dialog1_.filter_index = 1;
  cm_dialog1_.cancel_error = true;
  cm_dialog1_.title = DialogTitle(state_.TituloApp);
}

std::optional<std::string> FQEB_SUA::ChosenInDialog() {
  const ui::OpenDialogResult chosen = ws_.ShowOpenDialog(cm_dialog1_);
  if (chosen.outcome == ui::OpenDialogResult::Outcome::kCancelled) return std::nullopt;
  if (chosen.outcome == ui::OpenDialogResult::Outcome::kFailed)
    throw RunError(chosen.error_number, chosen.error_description);
  // The dialog keeps the chosen path as its file name, as the dialog control
  // does; the next set-up empties it.
  cm_dialog1_.file_name = chosen.path;
  return chosen.path;
}

FQEB_SUA::Exit FQEB_SUA::RunSteps() {
  ui::FGMsgEspera(ws_, 1, kPreparando);
  state_.DiscosLeidos = 0;
  state_.RegValDiscos = 0;
  ws_.MessageBox(FirstDisketteText(state_.DiscosLeidos),
                 ApplicationTitle(kConcatenacion, kVersionPrimerAviso), ui::kIconInformation);
  SetUpDialog("A:", kFiltroPrimerArchivo);
  ui::FGMsgEspera(ws_, 0, "");

  const std::optional<std::string> chosen = ChosenInDialog();
  if (!chosen) return Exit::kClosingReport;
  RunValues run;
  Exit exit = IntakeFirstFile(*chosen, run);
  if (exit == Exit::kContinue && run.split) exit = AppendFurtherPieces(run);
  if (exit == Exit::kContinue) exit = CheckAndPack(run);
  return exit;
}

FQEB_SUA::Exit FQEB_SUA::IntakeFirstFile(const std::string& chosen, RunValues& run) {
  ui::FGMsgEspera(ws_, 1, kPreparando);
  FGSeparaRuta(chosen, run.first_name, run.first_folder);
  run.drive = chosen.substr(0, 2);

  switch (LastCharacterUpperCased(run.first_name)) {
    case 'A':  // a file that came whole
      run.split = false;
      state_.RegValDiscos = 1;
      break;
    case '0':  // piece 0 comes only from a diskette drive
      if (run.drive != "A:" && run.drive != "B:") {
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
  run.PlaceInWorkFolder(state_.RutaApp + "tmp");

  // A copy left by an earlier run is never taken for this run's file: when
  // the chosen file cannot be copied, the checks find no file.
  if (!IsSameFile(chosen, run.first_copy) && fs::AnythingExists(run.first_copy))
    fs::DeleteFile(run.first_copy);
  ws_.RunWhileAnswering([&] {
    if (!FGExisteArch(run.first_folder + run.first_name)) return;
    if (!fs::FolderExists(run.work_folder)) fs::CreateFolder(run.work_folder);
    fs::CopyFile(chosen, run.first_copy);
  });
  state_.DiscosLeidos = 1;
  return Exit::kContinue;
}

bool FQEB_SUA::IsPieceUnsafe(const RunValues& run, const std::string& piece_name,
                             const std::string& piece_folder) const {
  // A piece of the first file's name, or one taken from the work folder,
  // would be copied onto a file the run is working on.
  return EqualIgnoringCase(std::string_view(piece_name), std::string_view(run.first_name)) ||
         IsSameFile(piece_folder, run.InWorkFolder(""));
}

FQEB_SUA::Exit FQEB_SUA::AppendFurtherPieces(const RunValues& run) {
  ws_.Beep();
  for (;;) {
    if (FGMensaje("YN", kMasDiskettes) != ui::kAnswerYes) return Exit::kContinue;
    if (FGMensaje("OC", DisketteText(state_.DiscosLeidos, run.drive)) == ui::kAnswerCancel)
      return Exit::kClosingReport;

    SetUpDialog(run.first_folder, PieceFilter(state_.DiscosLeidos));
    const std::optional<std::string> chosen = ChosenInDialog();
    if (!chosen) return Exit::kClosingReport;

    std::string piece_name;
    std::string piece_folder;
    FGSeparaRuta(*chosen, piece_name, piece_folder);
    if (IsPieceUnsafe(run, piece_name, piece_folder)) {
      FGMensaje("E", kNoConcatenado);
      return Exit::kError;
    }
    const std::string piece_copy = run.InWorkFolder(piece_name);
    if (FGExisteArch(piece_copy)) fs::DeleteFile(piece_copy);
    ws_.RunWhileAnswering([&] { fs::CopyFile(piece_folder + piece_name, piece_copy); });

    if (!FGAppendFile(run.first_copy, piece_copy, run.first_copy, 0)) {
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

bool FQEB_SUA::FGAppendFile(const std::string& src_file, const std::string& file_to_app,
                            const std::string& tgt_file, int16_t long_reg) {
  FileOutcome outcome = FileOutcome::FailedSilently();
  ws_.RunWhileAnswering(
      [&] { outcome = AppendSuaFile(state_, src_file, file_to_app, tgt_file, long_reg); });
  return FileOperationDone(outcome, kAppendFile);
}

}  // namespace qeb
