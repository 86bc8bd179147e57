#include "app/main_window.h"

#include "app/error_trap.h"
#include "app/operator_texts.h"
#include "base/code_page.h"
#include "base/path_separator.h"
#include "base/run_error.h"
#include "ui/mensaje.h"
#include "ui/progress_window.h"
#include "zip/cifra_xor.h"

namespace qeb {

FQEB_SUA::FQEB_SUA(ui::WindowSystem& ws) : ws_(ws) {
  xceed_zip1_.PreZipFile = [this](std::string& comment, const std::string& source) {
    PreZipFile(comment, source);
  };
}

void FQEB_SUA::PreZipFile(std::string& comment, const std::string& /*source*/) const {
  // The scrambler works on the code-page characters the record was written in.
  comment = zip::FGCifraXor(Utf8ToCp1252(state_.RegValClave), zip::kLlaveComentario);
}

int16_t FQEB_SUA::FGMensaje(const std::string& tipo, const std::string& texto) {
  return ui::FGMensaje(ws_, ApplicationTitle(), tipo, texto);
}

void FQEB_SUA::ReportError(long number, const std::string& description) {
  if (number != 0) FGMensaje("E", std::to_string(number) + " " + description);
}

void FQEB_SUA::Form_Load() {
  try {
    const bool another_copy = WithRunErrors([&] {
      if (ws_.AnotherCopyRunning()) return true;
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
      return false;
    });
    if (another_copy) {  // ends at once: no message, no progress window
      ws_.UnloadMainWindow();
      return;
    }
  } catch (const RunError& error) {
    try {
      ReportError(error.number(), error.description());
    } catch (const RunError&) {  // NOLINT(bugprone-empty-catch): the closing steps follow anyway
    }
  }
  // Closing: every failure from here on is passed over. FGMsgEspera never
  // fails, so the window is always unloaded.
  ui::FGMsgEspera(ws_, 0, "");
  try {
    ws_.UnloadMainWindow();
  } catch (const RunError&) {  // NOLINT(bugprone-empty-catch)
  }
}

}  // namespace qeb
