#include "ui/progress_window.h"

#include <exception>

namespace qeb::ui {
namespace {

// Runs one step on its own: a step that fails is passed over.
template <typename Step>
void Attempt(Step&& step) noexcept {
  try {
    step();
  } catch (...) {  // NOLINT(bugprone-empty-catch): every failure is absorbed by design
  }
}

void SetAllVisibleEnabled(WindowSystem& ws, bool enabled, bool skip_progress) {
  int count = 0;
  Attempt([&] { count = ws.TopLevelWindowCount(); });
  for (int i = 0; i < count; ++i) {
    Attempt([&] {
      const TopLevelWindow window = ws.TopLevelWindowAt(i);
      if (skip_progress && window.is_progress_window) return;
      if (window.visible) ws.EnableTopLevelWindow(i, enabled);
    });
  }
}

}  // namespace

void FMSG_SUA::Form_Load() {
  Attempt([&] {
    const Extent screen = ws_.ScreenSize();
    const Extent window = ws_.ProgressWindowSize();
    Attempt([&] { ws_.SetProgressWindowLeft((screen.width - window.width) / 2); });
    Attempt([&] { ws_.SetProgressWindowTop((screen.height - window.height) / 2); });
  });
}

void FMSG_SUA::Form_Activate() {
  ws_.ProcessPendingEvents();
}

bool FMSG_SUA::Form_QueryUnload() {
  return !ws_.ProgressText().empty();
}

std::string ProgressLine(const std::string& texto) {
  if (texto.size() >= 2 && texto.compare(texto.size() - 2, 2, "..") == 0) return texto;
  return texto + "...";
}

void FGMsgEspera(WindowSystem& ws, int16_t modo, const std::string& texto) {
  if (modo == 1) {
    Attempt([&] { ws.SetBusyPointer(true); });
    Attempt([&] { ws.LoadProgressWindow(); });
    Attempt([&] { ws.ShowProgressWindow(); });
    Attempt([&] { ws.SetProgressText(ProgressLine(texto)); });
    SetAllVisibleEnabled(ws, false, /*skip_progress=*/true);
    Attempt([&] { ws.ShowProgressWindow(); });
  } else if (modo == 0) {
    Attempt([&] { ws.SetBusyPointer(false); });
    Attempt([&] {
      if (!ws.ProgressWindowLoaded()) return;
      ws.SetProgressText("");
      ws.UnloadProgressWindow();
    });
    Attempt([&] { ws.ProcessPendingEvents(); });
    SetAllVisibleEnabled(ws, true, /*skip_progress=*/false);
  }
  Attempt([&] { ws.ProcessPendingEvents(); });
}

}  // namespace qeb::ui
