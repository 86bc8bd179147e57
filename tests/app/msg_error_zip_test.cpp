#include "app/msg_error_zip.h"

#include <gtest/gtest.h>

#include "base/run_error.h"
#include "support/scripted_window_system.h"

namespace qeb {
namespace {

const std::string kTitle = "Q.E.B. ( Compresión de SUA's ) V1.0";

struct CodeText {
  int32_t code;
  std::string text;
  friend void PrintTo(const CodeText& c, std::ostream* out) { *out << c.code; }
};

class FGMsgErrorZipBox : public testing::TestWithParam<CodeText> {};

TEST_P(FGMsgErrorZipBox, BeepsThenShowsTheTextUnderTheCompressionTitle) {
  ui::ScriptedWindowSystem ws;
  FGMsgErrorZip(ws, static_cast<int16_t>(GetParam().code));
  EXPECT_EQ(ws.Ops(), (std::vector<std::string>{"Beep", "MessageBox"}));
  ASSERT_EQ(ws.boxes().size(), 1u);
  EXPECT_EQ(ws.boxes()[0], (ui::ScriptedWindowSystem::Box{GetParam().text, kTitle, 16}));
}

INSTANTIATE_TEST_SUITE_P(Codes, FGMsgErrorZipBox,
                         testing::Values(CodeText{150,
                                                  "No hay bastante espacio en el dispositivo de "
                                                  "almacenamiento para terminar la operación."},
                                         CodeText{999,
                                                  "Ocurrió un error inesperado en la biblioteca."},
                                         CodeText{0, "Error en XCEEDZIP no catalogado"},
                                         CodeText{-5, "Error en XCEEDZIP no catalogado"},
                                         CodeText{527, "Error en XCEEDZIP no catalogado"}));

TEST(FGMsgErrorZip, AFailingBoxReachesTheCallerAfterTheBeep) {
  ui::ScriptedWindowSystem ws;
  ws.FailOperation("MessageBox", 7, "Out of memory");
  EXPECT_THROW(FGMsgErrorZip(ws, 504), RunError);
  EXPECT_EQ(ws.Ops(), (std::vector<std::string>{"Beep", "MessageBox"}));
}

}  // namespace
}  // namespace qeb
