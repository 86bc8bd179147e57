#pragma once
// The main window FQEB_SUA: never shown, it does the program's whole job in
// its load step. It owns the Open dialog settings, hosts the packing component
// and holds the archive path of the run.
//
// Its procedures live with their part of the run: start-up and the window in
// main_window.cpp; the run's frame, the intake of the first file and of every
// further piece in concatena_suas.cpp; the checks, the packing and the closing
// report in check_and_pack.cpp.

#include <cstdint>
#include <optional>
#include <string>

#include "app/run_state.h"
#include "base/run_error.h"
#include "sua/file_outcome.h"
#include "ui/window_system.h"
#include "zip/zip_component.h"

namespace qeb {

class FQEB_SUA {
 public:
  explicit FQEB_SUA(ui::WindowSystem& ws);

  // The load handler: the second-copy test, the run state, the run itself,
  // the error report for any failure that reaches it, and the closing steps.
  void Form_Load();

  // The run, from the first diskette prompt to the closing report.
  void Concatena_SUAs();

 private:
  // Values local to one run. The paths in the work folder are made once,
  // when the first file has been classified.
  struct RunValues {
    std::string first_name;
    std::string first_folder;  // ends with its separator
    std::string drive;         // first two characters of the chosen path
    bool split = true;
    std::string work_folder;  // RutaApp + "tmp", without a trailing separator
    std::string first_copy;   // the first file's copy
    std::string final_name;   // the first name; for a split file with "A" as its last character
    std::string joined;       // the joined file
    std::string archive;      // the joined path with "ZIP" as its last three characters

    void PlaceInWorkFolder(const std::string& folder);
    std::string InWorkFolder(const std::string& name) const;
  };
  // How a step ends: on to the next step, or through one of the run's exits.
  enum class Exit { kContinue, kClosingReport, kError };

  // The run's part in concatena_suas.cpp.
  Exit RunSteps();
  void SetUpDialog(const std::string& initial_folder, const std::string& filter);
  // The path chosen in the Open dialog; nothing when the operator cancelled.
  // Any other failure of the dialog is a RunError.
  std::optional<std::string> ChosenInDialog();
  Exit IntakeFirstFile(const std::string& chosen, RunValues& run);
  Exit AppendFurtherPieces(const RunValues& run);
  bool IsPieceUnsafe(const RunValues& run, const std::string& piece_name,
                     const std::string& piece_folder) const;
  bool FGAppendFile(const std::string& src_file, const std::string& file_to_app,
                    const std::string& tgt_file, int16_t long_reg);

  // The run's part in check_and_pack.cpp.
  Exit CheckAndPack(const RunValues& run);
  void Pack(const RunValues& run);
  bool FGRegValFile(const std::string& src_file);
  // The packing component's per-file event: the entry's comment is
  // RegValClave scrambled with the fixed key.
  void PreZipFile(std::string& comment, const std::string& source) const;
  // Exit C: the closing report.
  void ClosingReport();

  // Shared by both parts, in main_window.cpp.
  // FGMensaje under the application title.
  int16_t FGMensaje(const std::string& tipo, const std::string& texto);
  // The error report: "number, blank, description", unless the number is 0.
  void ReportError(const RunError& error);
  // Whether a file operation was done; a file-system failure is first
  // reported as "FGAppendFile:2 No such file or directory" (the operation's
  // name, a colon, the number, one blank and the description).
  bool FileOperationDone(const FileOutcome& outcome, const std::string& operation);

  ui::WindowSystem& ws_;
  RunState state_;
  ui::OpenDialogSettings cm_dialog1_;
  zip::ZipComponent xceed_zip1_;
  std::string ArchivoZIP;  // set by the packing
  bool packed_ = false;    // this run's packing returned 0
};

}  // namespace qeb
