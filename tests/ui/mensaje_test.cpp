#include "ui/mensaje.h"

#include <gtest/gtest.h>

#include "base/run_error.h"
#include "support/scripted_window_system.h"

namespace qeb::ui {
namespace {

const std::string kTitle = "Q.E.B. ( Concatenación de SUA's ) V1.0";

struct KindCase {
  std::string tipo;
  int style;
  int answer;    // what the operator chooses (0: box answers OK by itself)
  int returned;  // what FGMensaje gives back
};

class FGMensajeKinds : public testing::TestWithParam<KindCase> {};

TEST_P(FGMensajeKinds, BeepsThenShowsTheKindsBoxAndReturnsItsAnswer) {
  const KindCase& c = GetParam();
  ScriptedWindowSystem ws;
  if (c.answer != 0) ws.QueueAnswer(c.answer);

  EXPECT_EQ(FGMensaje(ws, c.tipo, "texto\r\ncon salto"), c.returned);

  EXPECT_EQ(ws.Ops(), (std::vector<std::string>{"Beep", "MessageBox"}));
  ASSERT_EQ(ws.boxes().size(), 1u);
  EXPECT_EQ(ws.boxes()[0], (ScriptedWindowSystem::Box{"texto\r\ncon salto", kTitle, c.style}));
  EXPECT_EQ(ws.unanswered(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Table, FGMensajeKinds,
    testing::Values(KindCase{"I", 64, 0, 0}, KindCase{"E", 16, 0, 0}, KindCase{"YN", 36, 6, 6},
                    KindCase{"YN", 36, 7, 7}, KindCase{"YNC", 35, 6, 6}, KindCase{"YNC", 35, 7, 7},
                    KindCase{"YNC", 35, 2, 2}, KindCase{"OC", 33, 1, 1}, KindCase{"OC", 33, 2, 2},
                    // Codes outside the table are information notes.
                    KindCase{"e", 64, 0, 0}, KindCase{"yn", 64, 0, 0}, KindCase{"YN ", 64, 0, 0},
                    KindCase{"", 64, 0, 0}, KindCase{"X", 64, 0, 0}));

TEST(FGMensaje, EmptyTextStillShowsTitleIconAndButtons) {
  ScriptedWindowSystem ws;
  ws.QueueAnswer(kAnswerCancel);
  EXPECT_EQ(FGMensaje(ws, "OC", ""), 2);
  EXPECT_EQ(ws.boxes()[0], (ScriptedWindowSystem::Box{"", kTitle, 33}));
}

TEST(FGMensaje, WindowSystemFailurePassesToTheCallerAfterTheBeep) {
  ScriptedWindowSystem ws;
  ws.FailOperation("MessageBox", 7, "Out of memory");
  try {
    FGMensaje(ws, "E", "x");
    FAIL() << "the failure must reach the caller";
  } catch (const RunError& error) {
    EXPECT_EQ(error.OperatorText(), "7 Out of memory");
  }
  EXPECT_EQ(ws.Ops(), (std::vector<std::string>{"Beep", "MessageBox"}));
}

TEST(ApplicationTitle, IsBuiltFromItsPieces) {
  EXPECT_EQ(ApplicationTitle(kConcatenacion, "1.1"), "Q.E.B. ( Concatenación de SUA's ) V1.1");
  EXPECT_EQ(ApplicationTitle(kCompresion, "1.0"), "Q.E.B. ( Compresión de SUA's ) V1.0");
}

}  // namespace
}  // namespace qeb::ui
