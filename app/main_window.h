#pragma once
// The main window FQEB_SUA: never shown, it does the program's whole job in
// its load step. It owns the Open dialog settings, hosts the packing component
// and holds the archive path of the run.

#include <cstdint>
#include <string>

#include "app/run_state.h"
#include "sua/file_outcome.h"
#include "ui/window_system.h"
#include "zip/zip_component.h"

namespace qeb {

class FQEB_SUA {
 public:
  explicit FQEB_SUA(ui::WindowSystem& ws);

  // The load handler: the second-copy test, the run state, the run itself,
  // the error report for an error that reaches it, and the closing steps.
  void Form_Load();

  // The run, from the first diskette prompt to the closing report.
  void Concatena_SUAs();

 private:
  // Values local to one run.
  struct Intake {
    std::string first_name;
    std::string first_folder;  // ends with its separator
    std::string drive;         // first two characters of the chosen path
    std::string work_folder;   // RutaApp + "tmp", without a trailing separator
    bool split = true;
  };
  // How a step ends: on to the next step, or through one of the run's exits.
  enum class Exit { kContinue, kClosingReport, kError };

  Exit RunSteps();
  ui::OpenDialogResult OpenDialog();
  Exit IntakeFirstFile(const std::string& chosen, Intake& intake);
  Exit AppendFurtherPieces(const Intake& intake);
  bool IsPieceUnsafe(const Intake& intake, const std::string& piece_name,
                     const std::string& piece_folder) const;
  Exit CheckAndPack(const Intake& intake);
  void Pack(const std::string& joined_path);
  void ClosingReport();
  void ReportError(long number, const std::string& description);
  // FGMensaje under the application title.
  int16_t FGMensaje(const std::string& tipo, const std::string& texto);

  // The file operations of the window: the SUA file readers, with the
  // "FGAppendFile:" / "FGRegValFile:" report of an unexpected file-system
  // failure. False when the operation failed, reported or not.
  bool FGAppendFile(const std::string& src_file, const std::string& file_to_app,
                    const std::string& tgt_file, int16_t long_reg);
  bool FGRegValFile(const std::string& src_file);
  bool Reported(const FileOutcome& outcome, const std::string& operation);

  // The packing component's per-file event: the entry's comment is
  // RegValClave scrambled with the fixed key.
  void PreZipFile(std::string& comment, const std::string& source) const;

  ui::WindowSystem& ws_;
  RunState state_;
  ui::OpenDialogSettings cm_dialog1_;
  zip::ZipComponent xceed_zip1_;
  std::string archivo_zip_;
  bool packed_ = false;  // this run's packing returned 0
};

}  // namespace qeb
