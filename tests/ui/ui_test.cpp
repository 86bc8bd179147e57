// FGMensaje's kinds and the progress window's states, each as one table.

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

#include "base/run_error.h"
#include "support/scripted_window_system.h"
#include "ui/mensaje.h"
#include "ui/progress_window.h"

namespace qeb::ui {
namespace {

TEST(FGMensaje, BeepsThenShowsTheKindsBox) {
  // clang-format off
  const struct {
    std::string tipo, texto;
    int answer;    // the operator's button; 0 for a box that answers by itself, -1 a box that fails
    int style;     // of the box shown
    int returned;  // by FGMensaje
  } kCases[] = {
      {"I", "texto\r\ncon salto", 0, 64, 0}, {"E", "x", 0, 16, 0}, {"YN", "x", 6, 36, 6},
      {"YN", "x", 7, 36, 7}, {"YNC", "x", 6, 35, 6}, {"YNC", "x", 7, 35, 7}, {"YNC", "x", 2, 35, 2},
      {"OC", "x", 1, 33, 1}, {"OC", "", 2, 33, 2},
      // Codes outside the table are information notes.
      {"e", "x", 0, 64, 0}, {"yn", "x", 0, 64, 0}, {"YN ", "x", 0, 64, 0}, {"", "x", 0, 64, 0},
      {"E", "x", -1, 16, 0}};
  // clang-format on
  const std::string kTitle = "Q.E.B. ( Concatenación de SUA's ) V1.0";
  for (const auto& c : kCases) {
    SCOPED_TRACE("\"" + c.tipo + "\" answered " + std::to_string(c.answer));
    ScriptedWindowSystem ws;
    if (c.answer > 0) ws.QueueAnswer(c.answer);
    if (c.answer < 0) ws.FailOperation("MessageBox", 7, "Out of memory");
    try {
      EXPECT_EQ(FGMensaje(ws, kTitle, c.tipo, c.texto), c.returned);
      EXPECT_GE(c.answer, 0) << "the box's failure must reach the caller";
    } catch (const RunError& error) {
      EXPECT_EQ(error.OperatorText(), c.answer < 0 ? "7 Out of memory" : "no failure");
    }
    EXPECT_EQ(ws.Ops(), (std::vector<std::string>{"Beep", "MessageBox"}));
    EXPECT_EQ(ws.boxes().at(0), (ScriptedWindowSystem::Box{c.texto, kTitle, c.style}));
    EXPECT_EQ(ws.unanswered(), 0u);
  }
}

TEST(ProgressLine, AddsThreeDotsUnlessTheTextEndsInTwo) {
  // clang-format off
  for (const auto& [texto, line] : std::vector<std::pair<std::string, std::string>>{
           {"Preparando información", "Preparando información..."}, {"Copiando...", "Copiando..."},
           {"Casi..", "Casi.."}, {"Uno.", "Uno...."}, {"..", ".."}, {".", "...."},
           {"", "..."}})
    // clang-format on
    EXPECT_EQ(ProgressLine(texto), line);
}

// The progress window's state after each step: its text in quotes and place,
// or "-" when it is gone; the pointer; and every window in order: E/D a
// visible enabled/disabled one, e/d a hidden one, P/p the progress window.
std::string State(const ScriptedWindowSystem& ws) {
  std::string state = ws.progress_loaded()
                          ? "'" + ws.progress_text() + "'@" +
                                ScriptedWindowSystem::Number(ws.progress_left()) + "," +
                                ScriptedWindowSystem::Number(ws.progress_top())
                          : "-";
  state += ws.busy_pointer() ? " busy " : " idle ";
  for (const ScriptedWindowSystem::Window& w : ws.windows())
    state += w.is_progress_window ? (w.visible ? 'P' : 'p')
             : w.enabled          ? (w.visible ? 'E' : 'e')
                                  : (w.visible ? 'D' : 'd');
  return state;
}

struct EsperaCase {
  std::vector<std::string> steps;  // "mode:text", or "close" for a close request
  std::string failing;             // an operation that always fails
  std::string states;              // State() after each step, joined with " | "
};

const std::string kUp = "'x...'@5437.5,4935 busy eDeDdP";  // centred: (15360 - 4485) / 2...
const std::string kDown = "- idle eEeEd";  // every visible window enabled, hidden ones alone
// A window list that cannot be read leaves every window as it was.
const std::string kUntouched = "'x...'@5437.5,4935 busy eEeDdP | - idle eEeDd";

TEST(FGMsgEspera, StatesFollowTheModes) {
  const EsperaCase kCases[] = {
      {{"1:x", "0:"}, "", kUp + " | " + kDown},
      {{"1:Uno", "1:x"}, "", "'Uno...'@5437.5,4935 busy eDeDdP | " + kUp},
      {{"0:"}, "", kDown},
      {{"1:x", "close"}, "", kUp + " | " + kUp},
      {{"1:x", "2:y", "-1:z"}, "", kUp + " | " + kUp + " | " + kUp},
      // Every step is attempted on its own; no failure reaches the caller.
      {{"1:x", "0:"}, "SetBusyPointer", "'x...'@5437.5,4935 idle eDeDdP | - idle eEeEd"},
      {{"1:x", "0:"}, "LoadProgressWindow", "- busy eDeDd | " + kDown},
      {{"1:x", "0:"}, "ShowProgressWindow", "'x...'@5437.5,4935 busy eDeDdp | " + kDown},
      // clang-format off
      {{"1:x", "0:"}, "SetProgressText",
       "'Verificando Archivo'@5437.5,4935 busy eDeDdP | 'Verificando Archivo'@5437.5,4935 idle eEeEdP"},
      // clang-format on
      {{"1:x", "0:"}, "TopLevelWindowCount", kUntouched},
      {{"1:x", "0:"}, "TopLevelWindowAt", kUntouched},
      {{"1:x", "0:"}, "EnableTopLevelWindow", kUntouched},
      {{"1:x", "0:"}, "ProcessPendingEvents", kUp + " | " + kDown},
      {{"1:x", "0:"}, "UnloadProgressWindow", kUp + " | ''@5437.5,4935 idle eEeEdP"},
      {{"1:x", "0:"}, "ScreenSize", "'x...'@0,0 busy eDeDdP | " + kDown},
      {{"1:x", "0:"}, "SetProgressWindowLeft", "'x...'@0,4935 busy eDeDdP | " + kDown}};
  for (const EsperaCase& c : kCases) {
    SCOPED_TRACE(c.failing);
    ScriptedWindowSystem ws;
    for (const int w : {0, 1, 2, 3}) ws.AddWindow(w % 2 == 0, w < 2);  // E, e, D and d
    if (!c.failing.empty()) ws.FailOperation(c.failing);
    std::string states;
    for (const std::string& step : c.steps) {
      const size_t before = ws.calls().size();
      if (step == "close") {
        ws.RequestProgressClose();
      } else {
        const auto mode = static_cast<int16_t>(std::stoi(step));
        EXPECT_NO_THROW(FGMsgEspera(ws, mode, step.substr(step.find(':') + 1)));
        EXPECT_EQ(ws.Ops().back(), "ProcessPendingEvents") << "the final step always runs";
        const std::vector<std::string> ops = ws.Ops();
        for (size_t i = before; c.failing.empty() && i + 1 < ops.size(); ++i) {
          if (ops[i] == "ShowProgressWindow" || ops[i] == "UnloadProgressWindow") {
            // (closing first asks for the window's text)
            EXPECT_EQ(ops[i + 1 + (ops[i + 1] == "ProgressText")], "ProcessPendingEvents")
                << "activating or closing repaints";
          }
        }
        if ((mode == 0 || mode == 1) && c.failing.empty()) {
          // Each of the program's windows is visited once.
          EXPECT_EQ(std::count(ops.begin() + static_cast<std::ptrdiff_t>(before), ops.end(),
                               "TopLevelWindowAt"),
                    ws.TopLevelWindowCount());
        }
        if (mode == 1 && c.failing.empty()) {
          // Shown again once the others are disabled, which brings it to the front.
          const auto first = ops.begin() + static_cast<std::ptrdiff_t>(before);
          const auto last_of = [&](const char* op) {
            return std::find(std::make_reverse_iterator(ops.end()),
                             std::make_reverse_iterator(first), op)
                .base();
          };
          EXPECT_GT(last_of("ShowProgressWindow"), last_of("EnableTopLevelWindow"));
          EXPECT_EQ(std::count(first, ops.end(), "ShowProgressWindow"), 2) << "before, and again";
          for (size_t i = before; i < ws.calls().size(); ++i)  // never the progress window
            EXPECT_NE(ws.calls()[i].detail, std::to_string(ws.windows().size() - 1) + " off");
        }
        if (c.failing == "TopLevelWindowCount") {
          EXPECT_EQ(std::count(ops.begin() + static_cast<std::ptrdiff_t>(before), ops.end(),
                               "TopLevelWindowAt"),
                    0)
              << "windows that cannot be counted are not visited";
        }
        if (mode != 0 && mode != 1) {
          EXPECT_EQ(ws.calls().size(), before + 1) << "other modes only process events";
        }
      }
      states += (states.empty() ? "" : " | ") + State(ws);
    }
    EXPECT_EQ(states, c.states);
  }
}

}  // namespace
}  // namespace qeb::ui
