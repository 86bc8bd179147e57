// QEB_SUA.exe: loads the main window FQEB_SUA, whose load step does the whole
// job, and ends when it returns.

#include "ui/win32/win32.h"
// After win32.h:
#include <commctrl.h>
#include <objbase.h>

#include "app/error_trap.h"
#include "app/main_window.h"
#include "app/operator_texts.h"
#include "base/run_error.h"
#include "base/wide_text.h"
#include "ui/win32/win32_window_system.h"

namespace {

// The Open dialog runs shell code that wants a single-threaded apartment.
class ComApartment {
 public:
  ComApartment()
      : initialized_(SUCCEEDED(CoInitializeEx(
            /*reserved=*/nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (initialized_) CoUninitialize();
  }

 private:
  bool initialized_;
};

// Only for a failure before the main window's load step can report it.
void ReportStartupFailure(const std::string& text) {
  const std::wstring title = qeb::ToWide(qeb::ApplicationTitle());
  const std::wstring body = qeb::ToWide(text);
  MessageBoxW(/*owner=*/nullptr, body.c_str(), title.c_str(), MB_ICONSTOP | MB_OK | MB_TASKMODAL);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, PWSTR /*command_line*/,
                    int /*show*/) {
  ComApartment com;
  const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  try {
    // Form_Load reports every failure of its own; only one in making the
    // window system or the main window arrives here, as number and text.
    qeb::WithRunErrors([instance] {
      qeb::ui::win32::Win32WindowSystem ws(instance,
                                           {qeb::ApplicationTitle(), qeb::kVerificandoArchivo});
      qeb::FQEB_SUA app(ws);
      app.Form_Load();
    });
  } catch (const qeb::RunError& error) {
    ReportStartupFailure(error.OperatorText());
    return 1;
  }
  return 0;
}
