// Start-up and the main window: the load step that does the program's whole
// job, and the reports that both halves of the run share.

#include "app/main_window.h"

#include "app/error_trap.h"
#include "app/operator_texts.h"
#include "base/path_separator.h"
#include "ui/mensaje.h"
#include "ui/progress_window.h"

namespace qeb {

FQEB_SUA::FQEB_SUA(ui::WindowSystem& ws) : ws_(ws) {
  xceed_zip1_.PreZipFile = [this](std::string& comment, const std::string& source) {
    PreZipFile(comment, source);
  };
}

int16_t FQEB_SUA::FGMensaje(const std::string& tipo, const std::string& texto) {
  return ui::FGMensaje(ws_, ApplicationTitle(), tipo, texto);
}

void FQEB_SUA::ReportError(const RunError& error) {
  if (error.number() != 0) FGMensaje("E", error.OperatorText());
}

bool FQEB_SUA::FileOperationDone(const FileOutcome& outcome, const std::string& operation) {
  if (outcome.error()) FGMensaje("E", operation + ":" + outcome.error()->OperatorText());
  return outcome.done();
}

void FQEB_SUA::Form_Load() {
  bool another_copy = false;
  try {
    WithRunErrors([&] {
      another_copy = ws_.AnotherCopyRunning();
      // Ends at once: no message, no progress window.
      if (another_copy) return ws_.UnloadMainWindow();
      state_.TituloApp = kTituloApp;
      // The separator is appended whatever the folder text ends with.
      state_.RutaApp = ws_.ProgramFolder() + kPathSeparator;
      ui::FGMsgEspera(ws_, 1, kPreparando);
      const ui::Extent screen = ws_.ScreenSize();
      const ui::Extent window = ws_.MainWindowSize();
      ws_.SetMainWindowLeft((screen.width - window.width) / 2);
      ws_.SetMainWindowTop((screen.height - window.height) / 2);
      ws_.SetMainWindowCaption(ApplicationTitle());
      ui::FGMsgEspera(ws_, 0, "");
      Concatena_SUAs();
    });
    if (another_copy) return;
  } catch (const RunError& error) {  // every failure arrives as one
    try {
      ReportError(error);
    } catch (...) {  // NOLINT(bugprone-empty-catch): the closing steps follow anyway
    }
  }
  // Closing: every failure from here on is passed over. FGMsgEspera never
  // fails, so the window is always unloaded.
  ui::FGMsgEspera(ws_, 0, "");
  try {
    ws_.UnloadMainWindow();
  } catch (...) {  // NOLINT(bugprone-empty-catch)
  }
}

}  // namespace qeb
