#include "ui/mensaje.h"

#include <array>
#include <cstdint>

namespace qeb::ui {
namespace {

struct Kind {
  const char* code;
  int style;
  bool returns_answer;
};

// Looked up in this order; the first equal code wins.
constexpr std::array<Kind, 5> kKinds{{
    {"I", kIconInformation + kButtonsOk, false},
    {"YN", kIconQuestion + kButtonsYesNo, true},
    {"OC", kIconQuestion + kButtonsOkCancel, true},
    {"E", kIconStop + kButtonsOk, false},
    {"YNC", kIconQuestion + kButtonsYesNoCancel, true},
}};
constexpr Kind kInformationNote{"", kIconInformation + kButtonsOk, false};

const Kind& FindKind(const std::string& tipo) {
  for (const Kind& kind : kKinds)
    if (tipo == kind.code) return kind;
  return kInformationNote;
}

}  // namespace

int16_t FGMensaje(WindowSystem& ws, const std::string& titulo, const std::string& tipo,
                  const std::string& texto) {
  ws.Beep();
  const Kind& kind = FindKind(tipo);
  const int answer = ws.MessageBox(texto, titulo, kind.style);
  return kind.returns_answer ? static_cast<int16_t>(answer) : int16_t{0};
}

}  // namespace qeb::ui
