#pragma once
// The progress window FMSG_SUA and FGMsgEspera, which puts it up and takes it
// down. Nothing here ever reports a failure to its caller.

#include <cstdint>
#include <string>

#include "ui/window_system.h"

namespace qeb::ui {

// The window's own event handlers, run by every window-system implementation.
class FMSG_SUA {
 public:
  explicit FMSG_SUA(WindowSystem& ws) : ws_(ws) {}
  // Centres the window on the screen; a coordinate that cannot be set stays.
  void Form_Load();
  // Processes pending events so that the window paints at once.
  void Form_Activate();
  // On a close request: true vetoes it, as it does while the line shows a text.
  bool Form_QueryUnload();

 private:
  WindowSystem& ws_;
};

// The text shown for `texto`: with "..." appended unless it already ends in "..".
std::string ProgressLine(const std::string& texto);

// Mode 1 puts the window up with `texto` (or replaces its text), mode 0 takes
// it down; any other mode only processes pending events.
void FGMsgEspera(WindowSystem& ws, int16_t modo, const std::string& texto);

}  // namespace qeb::ui
