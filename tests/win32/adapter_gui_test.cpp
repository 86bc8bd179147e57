// The Win32 window system with real windows (under Wine this needs a
// display): the progress window's look, place and close veto, FGMsgEspera
// over real windows, the pointer, the main window, message boxes and the Open
// dialog, the last two operated from a second thread as an operator would.

#include "ui/win32/win32.h"
// After win32.h:
#include <commdlg.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <future>

#include "base/run_error.h"
#include "base/wide_text.h"
#include "tests/win32/window_probe.h"
#include "ui/mensaje.h"
#include "ui/progress_window.h"
#include "ui/win32/dpi.h"
#include "ui/win32/open_dialog.h"
#include "ui/win32/progress_window_win32.h"
#include "ui/win32/win32_window_system.h"

namespace qeb::ui::win32 {
namespace {

const std::string kTitle = "Q.E.B. ( Concatenación de SUA's ) V1.0";

std::wstring TestMutexName() {
  return L"Local\\QEB_SUA.gui-test." + std::to_wstring(GetCurrentProcessId());
}

class Win32WindowSystemTest : public testing::Test {
 protected:
  Win32WindowSystem ws_{GetModuleHandleW(nullptr), TestMutexName()};
};

RECT WindowRect(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  return rect;
}

RECT ChildRect(HWND child) {
  RECT rect = WindowRect(child);
  MapWindowPoints(/*from=*/nullptr, GetParent(child), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

TEST_F(Win32WindowSystemTest, ALoadedProgressWindowIsHiddenCentredAndSizedInTwips) {
  ws_.LoadProgressWindow();
  const HWND window = ws_.progress_window();
  ASSERT_NE(window, nullptr);
  EXPECT_FALSE(IsWindowVisible(window));
  EXPECT_EQ(ws_.ProgressText(), "Verificando Archivo");

  const UINT dpi = DpiForWindow(window);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, TwipsToPixels(4395, dpi));
  EXPECT_EQ(client.bottom, TwipsToPixels(1200, dpi));

  // Form_Load centred it with the outer size.
  const RECT outer = WindowRect(window);
  const int screen_width = GetSystemMetrics(SM_CXSCREEN);
  const int screen_height = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_NEAR(outer.left, (screen_width - (outer.right - outer.left)) / 2.0, 1);
  EXPECT_NEAR(outer.top, (screen_height - (outer.bottom - outer.top)) / 2.0, 1);
  const Extent size = ws_.ProgressWindowSize();
  EXPECT_DOUBLE_EQ(size.width, PixelsToTwips(outer.right - outer.left, SystemDpi()));
  EXPECT_DOUBLE_EQ(size.height, PixelsToTwips(outer.bottom - outer.top, SystemDpi()));
}

TEST_F(Win32WindowSystemTest, TheProgressWindowStaysOutOfTheTaskBarAndHasNoOwner) {
  ws_.LoadProgressWindow();
  const HWND window = ws_.progress_window();
  EXPECT_EQ(GetWindow(window, GW_OWNER), nullptr);
  EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
  EXPECT_FALSE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  EXPECT_FALSE(GetWindowLongW(window, GWL_STYLE) &
               (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
}

TEST_F(Win32WindowSystemTest, TheMessageLineIsACentredLabelAtItsTwipsPosition) {
  ws_.LoadProgressWindow();
  const HWND window = ws_.progress_window();
  const HWND label = GetDlgItem(window, kProgressLabelId);
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(GetWindowLongW(label, GWL_STYLE) & SS_CENTER);
  const UINT dpi = DpiForWindow(window);
  const RECT rect = ChildRect(label);
  EXPECT_EQ(rect.left, TwipsToPixels(600, dpi));
  EXPECT_EQ(rect.top, TwipsToPixels(480, dpi));
  EXPECT_EQ(rect.right - rect.left, TwipsToPixels(3735, dpi));
  EXPECT_EQ(rect.bottom - rect.top, TwipsToPixels(369, dpi));

  ws_.SetProgressText("Preparando información...");
  EXPECT_EQ(probe::WindowText(label), L"Preparando informaci\u00F3n...");
  EXPECT_EQ(ws_.ProgressText(), "Preparando información...");
}

TEST_F(Win32WindowSystemTest, LoadingTwiceKeepsTheOneWindow) {
  ws_.LoadProgressWindow();
  const HWND first = ws_.progress_window();
  ws_.SetProgressText("uno");
  ws_.LoadProgressWindow();
  EXPECT_EQ(ws_.progress_window(), first);
  EXPECT_EQ(ws_.ProgressText(), "uno");
}

TEST_F(Win32WindowSystemTest, EveryCloseRequestIsVetoedWhileTheLineShowsAText) {
  FGMsgEspera(ws_, 1, "Preparando información");
  const HWND window = ws_.progress_window();
  ASSERT_TRUE(IsWindowVisible(window));

  SendMessageW(window, WM_CLOSE, 0, 0);
  PostMessageW(window, WM_CLOSE, 0, 0);
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  ws_.ProcessPendingEvents();
  EXPECT_FALSE(SendMessageW(window, WM_QUERYENDSESSION, 0, 0));
  ws_.UnloadProgressWindow();

  EXPECT_TRUE(IsWindow(window));
  EXPECT_TRUE(ws_.ProgressWindowLoaded());
  EXPECT_EQ(ws_.ProgressText(), "Preparando información...");
}

TEST_F(Win32WindowSystemTest, AnEmptyLineLetsACloseRequestThrough) {
  ws_.LoadProgressWindow();
  const HWND window = ws_.progress_window();
  ws_.SetProgressText("");
  PostMessageW(window, WM_CLOSE, 0, 0);
  ws_.ProcessPendingEvents();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_FALSE(ws_.ProgressWindowLoaded());
  EXPECT_EQ(ws_.ProgressText(), "");
  try {
    ws_.SetProgressText("otra vez");
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), 364);
  }
  // Loading again makes a new window with the initial text.
  ws_.LoadProgressWindow();
  EXPECT_NE(ws_.progress_window(), nullptr);
  EXPECT_EQ(ws_.ProgressText(), "Verificando Archivo");
}

TEST_F(Win32WindowSystemTest, UpDisablesTheOtherVisibleWindowsAndDownEnablesThemAll) {
  const HWND main = ws_.main_window();
  // Shown here only to stand for another visible window of the program.
  ShowWindow(main, SW_SHOWNOACTIVATE);
  EnableWindow(main, FALSE);  // disabled before: mode 0 enables it all the same

  FGMsgEspera(ws_, 1, "Copiando");
  const HWND progress = ws_.progress_window();
  ASSERT_NE(progress, nullptr);
  EXPECT_TRUE(IsWindowVisible(progress));
  EXPECT_TRUE(IsWindowEnabled(progress));
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_EQ(ws_.ProgressText(), "Copiando...");
  EXPECT_EQ(GetForegroundWindow(), progress);

  FGMsgEspera(ws_, 0, "");
  EXPECT_FALSE(IsWindow(progress));
  EXPECT_TRUE(IsWindowEnabled(main));
}

TEST_F(Win32WindowSystemTest, HiddenWindowsKeepTheirState) {
  const HWND main = ws_.main_window();
  EnableWindow(main, FALSE);
  FGMsgEspera(ws_, 1, "x");
  FGMsgEspera(ws_, 0, "");
  EXPECT_FALSE(IsWindowEnabled(main));
  EXPECT_FALSE(IsWindowVisible(main));
}

TEST_F(Win32WindowSystemTest, TheProgramsWindowsAreTheMainWindowThenTheProgressWindow) {
  ASSERT_EQ(ws_.TopLevelWindowCount(), 1);
  EXPECT_FALSE(ws_.TopLevelWindowAt(0).visible);
  EXPECT_FALSE(ws_.TopLevelWindowAt(0).is_progress_window);

  FGMsgEspera(ws_, 1, "x");
  ASSERT_EQ(ws_.TopLevelWindowCount(), 2);
  EXPECT_FALSE(ws_.TopLevelWindowAt(0).is_progress_window);
  EXPECT_TRUE(ws_.TopLevelWindowAt(1).is_progress_window);
  EXPECT_TRUE(ws_.TopLevelWindowAt(1).visible);
  EXPECT_THROW(ws_.TopLevelWindowAt(2), RunError);

  ws_.UnloadMainWindow();
  ASSERT_EQ(ws_.TopLevelWindowCount(), 1);
  EXPECT_TRUE(ws_.TopLevelWindowAt(0).is_progress_window);
  ws_.EnableTopLevelWindow(0, false);
  EXPECT_FALSE(IsWindowEnabled(ws_.progress_window()));
}

TEST_F(Win32WindowSystemTest, ShowingTheWindowProcessesPendingEvents) {
  // Form_Activate runs on activation and empties the queue.
  ws_.LoadProgressWindow();
  ASSERT_TRUE(PostThreadMessageW(GetCurrentThreadId(), WM_APP, 0, 0));
  ws_.ShowProgressWindow();
  MSG message;
  EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_APP, WM_APP, PM_NOREMOVE));
}

TEST_F(Win32WindowSystemTest, AClickOnTheProgressWindowLeavesItBehindAnOpenBox) {
  FGMsgEspera(ws_, 1, "Preparando información");
  const HWND progress = ws_.progress_window();
  const auto click = [progress] {
    return SendMessageW(progress, WM_MOUSEACTIVATE, reinterpret_cast<WPARAM>(progress),
                        MAKELPARAM(HTCLIENT, WM_LBUTTONDOWN));
  };
  EXPECT_EQ(click(), MA_ACTIVATE);

  auto during_box = std::async(std::launch::async, [&] {
    const HWND box = probe::WaitForWindow(probe::kDialogClass, probe::Widen(kTitle).c_str());
    const LRESULT answer = box != nullptr ? click() : -1;
    const bool box_in_front = GetForegroundWindow() == box;
    probe::PressButton(box, IDOK);
    return std::make_pair(answer, box_in_front);
  });
  ws_.MessageBox("¿Más diskettes?", kTitle, kIconInformation + kButtonsOk);
  const auto [answer, box_in_front] = during_box.get();
  EXPECT_EQ(answer, MA_NOACTIVATE);
  EXPECT_TRUE(box_in_front);
}

TEST_F(Win32WindowSystemTest, TheBusyPointerHoldsOverTheProgressWindow) {
  const HCURSOR wait = LoadCursorW(nullptr, IDC_WAIT);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  ws_.LoadProgressWindow();
  const HWND window = ws_.progress_window();

  ws_.SetBusyPointer(true);
  EXPECT_EQ(GetCursor(), wait);
  SetCursor(arrow);
  EXPECT_TRUE(SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                           MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
  EXPECT_EQ(GetCursor(), wait);

  ws_.SetBusyPointer(false);
  EXPECT_EQ(GetCursor(), arrow);
}

TEST_F(Win32WindowSystemTest, PositionsAreSetInTwips) {
  ws_.LoadProgressWindow();
  const UINT dpi = SystemDpi();
  ws_.SetProgressWindowLeft(PixelsToTwips(100, dpi));
  ws_.SetProgressWindowTop(PixelsToTwips(50, dpi));
  RECT rect = WindowRect(ws_.progress_window());
  EXPECT_EQ(rect.left, 100);
  EXPECT_EQ(rect.top, 50);

  ws_.SetMainWindowLeft(PixelsToTwips(30, dpi));
  ws_.SetMainWindowTop(PixelsToTwips(40, dpi));
  rect = WindowRect(ws_.main_window());
  EXPECT_EQ(rect.left, 30);
  EXPECT_EQ(rect.top, 40);
  const Extent size = ws_.MainWindowSize();
  EXPECT_DOUBLE_EQ(size.width, PixelsToTwips(rect.right - rect.left, dpi));
  EXPECT_DOUBLE_EQ(size.height, PixelsToTwips(rect.bottom - rect.top, dpi));
  EXPECT_GT(size.width, 0);
}

TEST_F(Win32WindowSystemTest, TheMainWindowIsNeverShownAndGoesWhenUnloaded) {
  ws_.SetMainWindowCaption(kTitle);
  const HWND main = ws_.main_window();
  EXPECT_EQ(probe::WindowText(main), L"Q.E.B. ( Concatenaci\u00F3n de SUA's ) V1.0");
  EXPECT_FALSE(IsWindowVisible(main));
  // A close request from outside does not take it from the run.
  SendMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_TRUE(IsWindow(main));

  ws_.UnloadMainWindow();
  EXPECT_FALSE(IsWindow(main));
  EXPECT_EQ(ws_.main_window(), nullptr);
  EXPECT_THROW(ws_.MainWindowSize(), RunError);
  ws_.UnloadMainWindow();  // unloading twice is harmless
}

TEST_F(Win32WindowSystemTest, ASecondAdapterWithTheSameNameSeesAnotherCopy) {
  EXPECT_FALSE(ws_.AnotherCopyRunning());
  Win32WindowSystem second(GetModuleHandleW(nullptr), TestMutexName());
  EXPECT_TRUE(second.AnotherCopyRunning());
}

// ---- Message boxes, answered from a second thread.

struct BoxSeen {
  bool found = false;
  std::wstring title;
  std::wstring text;
  bool ok = false, cancel = false, yes = false, no = false;
  int default_button = 0;
  HICON icon = nullptr;
  bool came_back = false;
};

HICON BoxIcon(HWND box) {
  for (HWND child = FindWindowExW(box, nullptr, L"Static", nullptr); child != nullptr;
       child = FindWindowExW(box, child, L"Static", nullptr))
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
      return reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
  return nullptr;
}

HICON SystemIcon(int style) {
  switch (style & 0xF0) {
    case kIconStop:
      return LoadIconW(nullptr, IDI_HAND);
    case kIconQuestion:
      return LoadIconW(nullptr, IDI_QUESTION);
    case kIconInformation:
      return LoadIconW(nullptr, IDI_ASTERISK);
    default:
      return nullptr;
  }
}

struct BoxCase {
  int style;
  int press;  // the button pressed; 0: Esc; -1: the close control
  int answer;
  bool ok, cancel, yes, no;
  bool insists = false;  // the box outlasts the close request
};

class MessageBoxes : public testing::TestWithParam<BoxCase> {
 protected:
  Win32WindowSystem ws_{GetModuleHandleW(nullptr), TestMutexName()};
};

BoxSeen AnswerBox(int press, bool insists) {
  BoxSeen seen;
  const HWND box = probe::WaitForWindow(probe::kDialogClass, probe::Widen(kTitle).c_str());
  if (box == nullptr) return seen;
  seen.found = true;
  seen.title = probe::WindowText(box);
  seen.text = probe::ItemText(box, probe::kMessageBoxText);
  seen.icon = BoxIcon(box);
  seen.ok = GetDlgItem(box, IDOK) != nullptr;
  seen.cancel = GetDlgItem(box, IDCANCEL) != nullptr;
  seen.yes = GetDlgItem(box, IDYES) != nullptr;
  seen.no = GetDlgItem(box, IDNO) != nullptr;
  for (const int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
    const HWND button = GetDlgItem(box, id);
    if (button != nullptr && (GetWindowLongW(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON)
      seen.default_button = id;
  }
  if (press > 0) {
    probe::PressButton(box, press);
  } else if (press == 0) {
    SendMessageW(box, WM_COMMAND, IDCANCEL, 0);  // what Esc sends
  } else {
    SendMessageW(box, WM_CLOSE, 0, 0);
  }
  if (insists) {
    // A Yes/No box is not ended by a close request: it stays or comes back.
    probe::WaitUntilGone(box, std::chrono::milliseconds(1000));
    const HWND again = probe::WaitForWindow(probe::kDialogClass, probe::Widen(kTitle).c_str());
    seen.came_back = again != nullptr;
    if (again != nullptr) probe::PressButton(again, IDNO);
  }
  return seen;
}

TEST_P(MessageBoxes, ShowTheStylesButtonsAndReturnTheAnswer) {
  const BoxCase& c = GetParam();
  auto seen = std::async(std::launch::async, AnswerBox, c.press, c.insists);
  const int answer = ws_.MessageBox("¿Más diskettes?\r\nsegunda línea", kTitle, c.style);
  const BoxSeen box = seen.get();
  ASSERT_TRUE(box.found);
  EXPECT_EQ(answer, c.answer);
  EXPECT_EQ(box.title, probe::Widen(kTitle));
  EXPECT_EQ(box.text, L"\u00BFM\u00E1s diskettes?\r\nsegunda l\u00EDnea");
  EXPECT_EQ(box.ok, c.ok);
  EXPECT_EQ(box.cancel, c.cancel);
  EXPECT_EQ(box.yes, c.yes);
  EXPECT_EQ(box.no, c.no);
  // No default-button flag is added: the first button is the default.
  EXPECT_EQ(box.default_button, c.ok ? IDOK : IDYES);
  EXPECT_EQ(box.came_back, c.insists);
  EXPECT_EQ(box.icon, SystemIcon(c.style));
}

INSTANTIATE_TEST_SUITE_P(Kinds, MessageBoxes,
                         testing::Values(BoxCase{64, IDOK, IDOK, true, false, false, false},
                                         BoxCase{16, 0, IDOK, true, false, false, false},
                                         BoxCase{64, -1, IDOK, true, false, false, false},
                                         BoxCase{36, IDYES, IDYES, false, false, true, true},
                                         BoxCase{36, IDNO, IDNO, false, false, true, true},
                                         BoxCase{36, -1, IDNO, false, false, true, true, true},
                                         BoxCase{35, -1, IDCANCEL, false, true, true, true},
                                         BoxCase{35, IDYES, IDYES, false, true, true, true},
                                         BoxCase{33, IDOK, IDOK, true, true, false, false},
                                         BoxCase{33, 0, IDCANCEL, true, true, false, false},
                                         BoxCase{33, -1, IDCANCEL, true, true, false, false}));

// ---- The Open dialog.

class OpenDialog : public testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    folder_ = std::filesystem::path(temp) /
              (L"QEB_SUA dialog " + std::to_wstring(GetCurrentProcessId())) /
              L"Carpeta \u00D1and\u00FA";
    std::filesystem::create_directories(folder_);
    std::ofstream(folder_ / L"PIEZA.SU1") << "x";
    std::ofstream(folder_ / L"ARCHIVO.SUA") << "x";
  }
  void TearDown() override {
    // The dialog makes the chosen file's folder the current one.
    SetCurrentDirectoryW(folder_.root_path().c_str());
    std::filesystem::remove_all(folder_.parent_path());
  }

  OpenDialogSettings Settings() const {
    OpenDialogSettings settings;
    settings.initial_folder = ToUtf8(folder_.wstring());
    settings.filter = "SUA (*.SU0;*.SUA)|*.SU0;*.SUA";
    settings.flags = kDialogFileMustExist + kDialogHideReadOnly;
    settings.filter_index = 1;
    settings.cancel_error = true;
    settings.title = "Verificación para Cuotas IMSS (SUA)";
    return settings;
  }

  std::filesystem::path folder_;
  Win32WindowSystem ws_{GetModuleHandleW(nullptr), TestMutexName()};
};

struct DialogSeen {
  bool found = false;
  std::wstring file_type;
  bool owned_by_main = false;
};

// Waits for the dialog, notes what it shows, then does `act` to it.
template <typename Act>
std::future<DialogSeen> OperateDialog(HWND main, Act act) {
  return std::async(std::launch::async, [main, act] {
    DialogSeen seen;
    const HWND dialog =
        probe::WaitForWindow(probe::kDialogClass, L"Verificaci\u00F3n para Cuotas IMSS (SUA)");
    if (dialog == nullptr) return seen;
    seen.found = true;
    seen.file_type = probe::ItemText(dialog, probe::kOpenFileTypeCombo);
    seen.owned_by_main = GetWindow(dialog, GW_OWNER) == main;
    act(dialog);
    return seen;
  });
}

TEST_F(OpenDialog, AFileNameTypedInTheInitialFolderIsChosen) {
  auto seen = OperateDialog(ws_.main_window(),
                            [](HWND dialog) { probe::ChooseFile(dialog, L"ARCHIVO.SUA"); });
  const OpenDialogResult result = ws_.ShowOpenDialog(Settings());
  const DialogSeen dialog = seen.get();
  ASSERT_TRUE(dialog.found);
  EXPECT_TRUE(dialog.owned_by_main);
  EXPECT_EQ(dialog.file_type, L"SUA (*.SU0;*.SUA)");
  EXPECT_EQ(result.outcome, OpenDialogResult::Outcome::kChosen);
  EXPECT_EQ(ToWide(result.path), (folder_ / L"ARCHIVO.SUA").wstring());
  EXPECT_EQ(result.error_number, 0);
}

TEST_F(OpenDialog, TheFilterIndexSelectsTheFileType) {
  OpenDialogSettings settings = Settings();
  settings.filter = "SU0(*.SU0)|*.SU0|SU1(*.SU1)|*.SU1|";
  settings.filter_index = 2;
  const std::wstring full_path = (folder_ / L"PIEZA.SU1").wstring();
  auto seen =
      OperateDialog(ws_.main_window(), [&](HWND dialog) { probe::ChooseFile(dialog, full_path); });
  const OpenDialogResult result = ws_.ShowOpenDialog(settings);
  EXPECT_EQ(seen.get().file_type, L"SU1(*.SU1)");
  EXPECT_EQ(result.outcome, OpenDialogResult::Outcome::kChosen);
  EXPECT_EQ(ToWide(result.path), full_path);
}

TEST_F(OpenDialog, CancellingIsError32755) {
  auto seen =
      OperateDialog(ws_.main_window(), [](HWND dialog) { probe::PressButton(dialog, IDCANCEL); });
  const OpenDialogResult result = ws_.ShowOpenDialog(Settings());
  ASSERT_TRUE(seen.get().found);
  EXPECT_EQ(result.outcome, OpenDialogResult::Outcome::kCancelled);
  EXPECT_EQ(result.error_number, 32755);
  EXPECT_EQ(result.error_description, "Cancel was selected.");
  EXPECT_EQ(result.path, "");
}

TEST_F(OpenDialog, CancellingWithoutTheCancelErrorIsNoError) {
  OpenDialogSettings settings = Settings();
  settings.cancel_error = false;
  auto seen =
      OperateDialog(ws_.main_window(), [](HWND dialog) { probe::PressButton(dialog, IDCANCEL); });
  const OpenDialogResult result = ws_.ShowOpenDialog(settings);
  ASSERT_TRUE(seen.get().found);
  EXPECT_EQ(result.outcome, OpenDialogResult::Outcome::kCancelled);
  EXPECT_EQ(result.error_number, 0);
}

TEST_F(OpenDialog, ADialogThatCannotOpenIsAFailureWithItsOwnCode) {
  // The flags go to the dialog as they are: asking for a template that is not
  // there makes it fail.
  OpenDialogSettings settings = Settings();
  settings.flags |= OFN_ENABLETEMPLATE;
  const OpenDialogResult result = ws_.ShowOpenDialog(settings);
  EXPECT_EQ(result.outcome, OpenDialogResult::Outcome::kFailed);
  EXPECT_NE(result.error_number, 0);
  EXPECT_NE(result.error_number, 32755);
  EXPECT_EQ(result.error_description,
            CommonDialogErrorText(static_cast<DWORD>(result.error_number)));
}

}  // namespace
}  // namespace qeb::ui::win32
