#pragma once
// What the operator was shown, as one comparable text.

#include <string>

#include "ui/scripted_window_system.h"

namespace qeb::testing_sua {

// "[style] text" for every box shown, one per line; empty when none was.
inline std::string Boxes(const ui::ScriptedWindowSystem& ws) {
  std::string text;
  for (const auto& box : ws.boxes()) {
    text += '[';
    text += std::to_string(box.style);
    text += "] ";
    text += box.text;
    text += '\n';
  }
  return text;
}

// The answer of an operation and the boxes it showed.
inline std::string Outcome(bool answer, const ui::ScriptedWindowSystem& ws) {
  return std::string(answer ? "true" : "false") + "\n" + Boxes(ws);
}

}  // namespace qeb::testing_sua
