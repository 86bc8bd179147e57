// The progress window: the dots rule, one window, the close veto, which
// windows are disabled and enabled, and failures that never reach the caller.

#include "ui/progress_window.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "support/scripted_window_system.h"

namespace qeb::ui {
namespace {

TEST(ProgressLine, AddsDotsUnlessTheTextEndsInTwo) {
  EXPECT_EQ(ProgressLine("Preparando información"), "Preparando información...");
  EXPECT_EQ(ProgressLine("Copiando..."), "Copiando...");
  EXPECT_EQ(ProgressLine("Casi.."), "Casi..");
  EXPECT_EQ(ProgressLine("Uno."), "Uno....");
  EXPECT_EQ(ProgressLine(""), "...");
  EXPECT_EQ(ProgressLine("."), "....");
}

TEST(FGMsgEspera, ModeOneShowsTheWindowCentredWithBusyPointer) {
  ScriptedWindowSystem ws;
  FGMsgEspera(ws, 1, "Preparando información");

  EXPECT_TRUE(ws.progress_loaded());
  EXPECT_EQ(ws.progress_text(), "Preparando información...");
  EXPECT_TRUE(ws.busy_pointer());
  const Extent size = ScriptedWindowSystem::kProgressOuterSize;
  EXPECT_DOUBLE_EQ(ws.progress_left(), (15360 - size.width) / 2);
  EXPECT_DOUBLE_EQ(ws.progress_top(), (11520 - size.height) / 2);
  EXPECT_EQ(ws.Ops().back(), "ProcessPendingEvents");
}

TEST(FGMsgEspera, ModeOneTwiceLeavesOneWindowWithTheSecondText) {
  ScriptedWindowSystem ws;
  FGMsgEspera(ws, 1, "Uno");
  FGMsgEspera(ws, 1, "Dos..");
  EXPECT_EQ(ws.progress_loads(), 1);
  EXPECT_EQ(ws.progress_text(), "Dos..");
  EXPECT_EQ(std::count_if(ws.windows().begin(), ws.windows().end(),
                          [](const auto& w) { return w.is_progress_window; }),
            1);
}

TEST(FGMsgEspera, CloseRequestIsVetoedWhileATextShows) {
  ScriptedWindowSystem ws;
  FGMsgEspera(ws, 1, "Trabajando");
  EXPECT_FALSE(ws.RequestProgressClose());
  EXPECT_TRUE(ws.progress_loaded());
  EXPECT_EQ(ws.progress_text(), "Trabajando...");
}

TEST(FGMsgEspera, DisablesOnlyOtherVisibleWindowsAndModeZeroEnablesEveryVisibleOne) {
  ScriptedWindowSystem ws;
  const int visible = ws.AddWindow(/*visible=*/true, /*enabled=*/true);
  const int hidden = ws.AddWindow(/*visible=*/false, /*enabled=*/true);
  const int visible_disabled = ws.AddWindow(/*visible=*/true, /*enabled=*/false);
  const int hidden_disabled = ws.AddWindow(/*visible=*/false, /*enabled=*/false);

  FGMsgEspera(ws, 1, "x");
  auto windows = ws.windows();
  EXPECT_FALSE(windows[visible].enabled);
  EXPECT_TRUE(windows[hidden].enabled) << "hidden windows keep their state";
  EXPECT_FALSE(windows[visible_disabled].enabled);
  EXPECT_FALSE(windows[hidden_disabled].enabled);
  EXPECT_TRUE(windows.back().is_progress_window);
  EXPECT_TRUE(windows.back().enabled) << "the progress window itself stays enabled";

  FGMsgEspera(ws, 0, "");
  windows = ws.windows();
  EXPECT_FALSE(ws.progress_loaded());
  EXPECT_FALSE(ws.busy_pointer());
  EXPECT_TRUE(windows[visible].enabled);
  EXPECT_TRUE(windows[visible_disabled].enabled) << "enabled even though mode 1 did not disable it";
  EXPECT_TRUE(windows[hidden].enabled);
  EXPECT_FALSE(windows[hidden_disabled].enabled);
}

TEST(FGMsgEspera, ModeZeroWithoutAWindowEnablesVisibleWindowsAndShowsNothing) {
  ScriptedWindowSystem ws;
  const int visible_disabled = ws.AddWindow(/*visible=*/true, /*enabled=*/false);
  ws.SetBusyPointer(true);
  FGMsgEspera(ws, 0, "");
  EXPECT_EQ(ws.progress_loads(), 0);
  EXPECT_FALSE(ws.busy_pointer());
  EXPECT_TRUE(ws.windows()[visible_disabled].enabled);
}

TEST(FGMsgEspera, OtherModesOnlyProcessPendingEvents) {
  ScriptedWindowSystem ws;
  FGMsgEspera(ws, 1, "x");
  const size_t before = ws.calls().size();
  const auto windows = ws.windows();
  FGMsgEspera(ws, 2, "y");
  FGMsgEspera(ws, -1, "z");
  const std::vector<ScriptedWindowSystem::Call> after(
      ws.calls().begin() + static_cast<long>(before), ws.calls().end());
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0].op, "ProcessPendingEvents");
  EXPECT_EQ(after[1].op, "ProcessPendingEvents");
  EXPECT_EQ(ws.progress_text(), "x...");
  EXPECT_TRUE(ws.busy_pointer());
  EXPECT_EQ(ws.windows().size(), windows.size());
}

TEST(FGMsgEspera, WindowIsCentredAgainWhenCreatedAgain) {
  ScriptedWindowSystem ws;
  FGMsgEspera(ws, 1, "x");
  FGMsgEspera(ws, 0, "");
  ws.SetScreenSize({30000, 20000});
  FGMsgEspera(ws, 1, "y");
  EXPECT_EQ(ws.progress_loads(), 2);
  EXPECT_DOUBLE_EQ(ws.progress_left(),
                   (30000 - ScriptedWindowSystem::kProgressOuterSize.width) / 2);
}

// Every step is attempted on its own; no failure reaches the caller.
class FailingStep : public testing::TestWithParam<std::string> {};

TEST_P(FailingStep, IsPassedOverAndTheOtherStepsStillRun) {
  ScriptedWindowSystem ws;
  const int visible = ws.AddWindow(/*visible=*/true, /*enabled=*/true);
  ws.FailOperation(GetParam());
  EXPECT_NO_THROW(FGMsgEspera(ws, 1, "x"));
  const bool pointer_fails = GetParam() == "SetBusyPointer";
  const bool window_list_fails = GetParam() == "EnableTopLevelWindow" ||
                                 GetParam() == "TopLevelWindowCount" ||
                                 GetParam() == "TopLevelWindowAt";
  if (!pointer_fails) {
    EXPECT_TRUE(ws.busy_pointer());
  }
  if (!window_list_fails) {
    EXPECT_FALSE(ws.windows()[visible].enabled);
  }
  EXPECT_NO_THROW(FGMsgEspera(ws, 0, ""));
  if (!pointer_fails) {
    EXPECT_FALSE(ws.busy_pointer());
  }
  EXPECT_EQ(ws.Ops().back(), "ProcessPendingEvents") << "the final step runs whatever failed";
}

INSTANTIATE_TEST_SUITE_P(Steps, FailingStep,
                         testing::Values("SetBusyPointer", "LoadProgressWindow",
                                         "ShowProgressWindow", "SetProgressText",
                                         "TopLevelWindowCount", "TopLevelWindowAt",
                                         "EnableTopLevelWindow", "ProcessPendingEvents",
                                         "UnloadProgressWindow", "ScreenSize",
                                         "SetProgressWindowLeft"));

TEST(FMSG_SUA, CoordinateThatCannotBeSetStaysWhileTheOtherIsSet) {
  ScriptedWindowSystem ws;
  ws.FailOperation("SetProgressWindowLeft");
  FGMsgEspera(ws, 1, "x");
  EXPECT_DOUBLE_EQ(ws.progress_left(), 0);
  EXPECT_DOUBLE_EQ(ws.progress_top(),
                   (11520 - ScriptedWindowSystem::kProgressOuterSize.height) / 2);
}

}  // namespace
}  // namespace qeb::ui
