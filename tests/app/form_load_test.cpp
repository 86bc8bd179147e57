// Start-up: the second-copy test, the run state, the progress window around
// the preparation, the main window's place and caption, and the error report.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "run_fixture.h"

namespace qeb::testing_run {
namespace {

using ::testing::ElementsAre;
namespace stdfs = std::filesystem;

using FormLoad = RunTest;

TEST_F(FormLoad, SecondCopyEndsAtOnceWithoutWindowOrRun) {
  ws_.SetAnotherCopyRunning(true);
  RunProgram();
  EXPECT_EQ(ws_.Ops(), (std::vector<std::string>{"AnotherCopyRunning", "UnloadMainWindow"}));
  EXPECT_EQ(ws_.progress_loads(), 0);
  EXPECT_TRUE(app_->state().RutaApp.empty());
}

TEST_F(FormLoad, PreparesStateCentresAndTitlesThenRunsAndCloses) {
  ws_.QueueDialogCancel();
  RunProgram();

  EXPECT_EQ(app_->state().TituloApp, "Cuotas IMSS (SUA)");
  EXPECT_EQ(app_->state().RutaApp, (root_ / "prog").string() + "/");
  EXPECT_EQ(ws_.caption(), kTitle10);
  EXPECT_DOUBLE_EQ(ws_.main_left(), (15360 - ui::ScriptedWindowSystem::kMainWindowSize.width) / 2);
  EXPECT_DOUBLE_EQ(ws_.main_top(), (11520 - ui::ScriptedWindowSystem::kMainWindowSize.height) / 2);
  // The progress window came up with the preparation text and went down
  // before the first prompt.
  const auto calls = ws_.calls();
  const auto text = std::find_if(calls.begin(), calls.end(), [](const auto& call) {
    return call.op == "SetProgressText" && !call.detail.empty();
  });
  ASSERT_NE(text, calls.end());
  EXPECT_EQ(text->detail, "Preparando información...");
  const auto caption = std::find_if(calls.begin(), calls.end(), [](const auto& call) {
    return call.op == "SetMainWindowCaption";
  });
  const auto unload = std::find_if(
      caption, calls.end(), [](const auto& call) { return call.op == "UnloadProgressWindow"; });
  const auto prompt = std::find_if(calls.begin(), calls.end(),
                                   [](const auto& call) { return call.op == "MessageBox"; });
  EXPECT_LT(text, caption);
  EXPECT_LT(unload, prompt);
  EXPECT_THAT(ws_.boxes(), ElementsAre(FirstPrompt()));
  EXPECT_EQ(ws_.Ops().back(), "UnloadMainWindow");
}

TEST_F(FormLoad, SeparatorIsAppendedEvenWhenTheFolderEndsInOne) {
  ws_.SetProgramFolder((root_ / "prog").string() + "/");
  ws_.QueueDialogCancel();
  RunProgram();
  EXPECT_EQ(app_->state().RutaApp, (root_ / "prog").string() + "//");
}

TEST_F(FormLoad, ErrorWhileCentringGivesOneReportThenTheProgramEnds) {
  ws_.FailOperation("SetMainWindowLeft", 438, "Object doesn't support this property or method");
  RunProgram();
  EXPECT_THAT(ws_.boxes(),
              ElementsAre(Error("438 Object doesn't support this property or method")));
  EXPECT_EQ(ws_.caption(), "");
  EXPECT_EQ(ws_.dialogs().size(), 0u);
  EXPECT_FALSE(ws_.busy_pointer());
}

TEST_F(FormLoad, ErrorWhileTitlingGivesOneReport) {
  ws_.FailOperation("SetMainWindowCaption", 5, "Invalid procedure call or argument");
  RunProgram();
  EXPECT_THAT(ws_.boxes(), ElementsAre(Error("5 Invalid procedure call or argument")));
}

}  // namespace
}  // namespace qeb::testing_run
