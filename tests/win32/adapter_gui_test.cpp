// The Win32 window system with real windows (under Wine this needs a
// display), for what the end-to-end scenarios cannot see: the progress
// window's geometry in twips, the enabling of the program's other windows,
// each box kind's icon, and the Open dialog's owner. Boxes and
// dialogs are operated from a second thread, as an operator would.

#include "ui/win32/win32.h"
// After win32.h:
#include <gtest/gtest.h>

#include <future>
#include <tuple>

#include "base/run_error.h"
#include "base/wide_text.h"
#include "tests/win32/window_probe.h"
#include "ui/progress_window.h"
#include "ui/win32/open_dialog.h"
#include "ui/win32/progress_window_win32.h"
#include "ui/win32/win32_window_system.h"

namespace qeb::ui::win32 {
namespace {

const std::string kTitle = "Q.E.B. ( Concatenación de SUA's ) V1.0";
const std::wstring kDialogTitle = L"Verificaci\u00F3n para Cuotas IMSS (SUA)";

class Win32WindowSystemTest : public testing::Test {
 protected:
  Win32WindowSystem ws_{GetModuleHandleW(nullptr),
                        {kTitle, "Verificando Archivo"},
                        L"Local\\QEB_SUA.gui-test." + std::to_wstring(GetCurrentProcessId())};
};

// Waits for a window of the dialog class with this title, then does `act`
// to it from another thread; the future holds what `act` answered.
template <typename Act>
auto Operate(const std::wstring& title, Act act) {
  return std::async(std::launch::async, [title, act] {
    const HWND window = probe::WaitForWindow(probe::kDialogClass, title.c_str());
    return act(window);
  });
}

TEST_F(Win32WindowSystemTest, TheProgressWindowIsSizedInTwipsCentredAndOutOfTheTaskBar) {
  ws_.LoadProgressWindow();
  const HWND window = ws_.progress_window();
  ws_.LoadProgressWindow();  // loading twice keeps the one window
  ASSERT_EQ(ws_.progress_window(), window);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(ws_.ProgressText(), "Verificando Archivo");
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) &
               (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  const HWND label = GetDlgItem(window, kProgressLabelId);
  EXPECT_TRUE(GetWindowLongW(label, GWL_STYLE) & SS_CENTER);
  RECT client{}, line{}, outer{};
  GetClientRect(window, &client);
  GetWindowRect(label, &line);
  MapWindowPoints(/*from=*/nullptr, window, reinterpret_cast<POINT*>(&line), 2);
  // The client area is 4395 by 1200 twips, the label 600, 480, 3735 and 369.
  // At 96 dpi a pixel is 15 twips, and each length is rounded to the nearest
  // pixel on its own: the label's 369 twips (24.6 pixels) make 25.
  ASSERT_EQ(GetDpiForWindow(window), 96u);
  EXPECT_EQ((std::vector<int>{client.right, client.bottom, line.left, line.top,
                              line.right - line.left, line.bottom - line.top}),
            (std::vector<int>{293, 80, 40, 32, 249, 25}));
  // Form_Load centred it with its outer size.
  GetWindowRect(window, &outer);
  EXPECT_NEAR(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2.0, 1);
  EXPECT_NEAR(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2.0, 1);
  const Extent size = ws_.ProgressWindowSize();
  EXPECT_DOUBLE_EQ(size.width, (outer.right - outer.left) * 15.0);
  EXPECT_DOUBLE_EQ(size.height, (outer.bottom - outer.top) * 15.0);
}

TEST_F(Win32WindowSystemTest, UpVetoesClosingAndDisablesTheOtherVisibleWindowsDownEnablesThem) {
  const HWND main = ws_.main_window();
  ASSERT_EQ(ws_.TopLevelWindowCount(), 1);
  EXPECT_FALSE(ws_.TopLevelWindowAt(0).visible);
  EnableWindow(main, FALSE);
  FGMsgEspera(ws_, 1, "x");  // the main window is hidden: it keeps its state
  FGMsgEspera(ws_, 0, "");
  EXPECT_FALSE(IsWindowEnabled(main));

  ShowWindow(main, SW_SHOWNOACTIVATE);  // here it stands for another visible window
  FGMsgEspera(ws_, 1, "Copiando");
  const HWND progress = ws_.progress_window();
  ASSERT_EQ(ws_.TopLevelWindowCount(), 2);
  EXPECT_TRUE(ws_.TopLevelWindowAt(1).is_progress_window);
  EXPECT_THROW(ws_.TopLevelWindowAt(2), RunError);
  EXPECT_TRUE(IsWindowEnabled(progress));
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_EQ(GetForegroundWindow(), progress);
  // While it shows a text it vetoes the end of the session and refuses to close.
  EXPECT_FALSE(SendMessageW(progress, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP));
  SendMessageW(progress, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(progress));
  FGMsgEspera(ws_, 0, "");  // mode 0 enables it, though it was disabled before
  EXPECT_FALSE(IsWindow(progress));
  EXPECT_TRUE(IsWindowEnabled(main));
}

// Each kind's icon and buttons, with a body of two lines, the progress window disabled.
TEST_F(Win32WindowSystemTest, MessageBoxesShowTheKindsIconAndButtonsAndReturnTheAnswer) {
  // clang-format off
  const struct {
    int style;
    int press;  // the button pressed; 0: Esc
    int answer;
    std::vector<int> buttons;
    const wchar_t* icon;
  } cases[] = {{64, IDOK, IDOK, {IDOK}, IDI_ASTERISK}, {16, 0, IDOK, {IDOK}, IDI_HAND},
               {36, IDYES, IDYES, {IDYES, IDNO}, IDI_QUESTION},
               {33, 0, IDCANCEL, {IDOK, IDCANCEL}, IDI_QUESTION}};
  // clang-format on
  const HWND progress = (FGMsgEspera(ws_, 1, "x"), ws_.progress_window());
  for (const auto& c : cases) {
    auto seen = Operate(ToWide(kTitle), [press = c.press, progress](HWND box) {
      std::vector<int> buttons;
      for (const int id : {IDOK, IDCANCEL, IDYES, IDNO})
        if (GetDlgItem(box, id) != nullptr) buttons.push_back(id);
      LRESULT icon = 0;
      for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child != nullptr;
           child = FindWindowExW(box, child, L"Static", nullptr))
        if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
          icon = SendMessageW(child, STM_GETICON, 0, 0);
      const std::wstring text = probe::ItemText(box, probe::kMessageBoxText);
      // Read while the box is up: once it ends, the windows are enabled again.
      const bool progress_enabled = IsWindowEnabled(progress) != FALSE;
      if (press > 0) probe::PressButton(box, press);
      if (press == 0) SendMessageW(box, WM_COMMAND, IDCANCEL, 0);  // what Esc sends
      return std::make_tuple(buttons, icon, text, progress_enabled);
    });
    EXPECT_EQ(ws_.MessageBox("¿Más diskettes?\r\nsegunda línea", kTitle, c.style), c.answer);
    const auto [buttons, icon, text, progress_enabled] = seen.get();
    EXPECT_FALSE(progress_enabled) << c.style;
    EXPECT_EQ(buttons, c.buttons) << c.style;
    EXPECT_EQ(icon, reinterpret_cast<LRESULT>(LoadIconW(nullptr, c.icon))) << c.style;
    EXPECT_EQ(text, L"\u00BFM\u00E1s diskettes?\r\nsegunda l\u00EDnea");
  }
}

TEST_F(Win32WindowSystemTest, TheOpenDialogIsOwnedByTheMainWindowAndCancelIsError32755) {
  OpenDialogSettings settings;
  settings.title = ToUtf8(kDialogTitle);
  settings.filter = "SUA (*.SU0;*.SUA)|*.SU0;*.SUA";
  settings.cancel_error = true;
  auto owner = Operate(kDialogTitle, [](HWND dialog) {
    const HWND owner = GetWindow(dialog, GW_OWNER);
    probe::PressButton(dialog, IDCANCEL);
    return owner;
  });
  const OpenDialogResult result = ws_.ShowOpenDialog(settings);
  EXPECT_EQ(owner.get(), ws_.main_window());
  EXPECT_EQ(result.outcome, OpenDialogResult::Outcome::kCancelled);
  EXPECT_EQ(
      result.path + "|" + std::to_string(result.error_number) + " " + result.error_description,
      "|32755 Se seleccionó Cancelar.");
}

}  // namespace
}  // namespace qeb::ui::win32
