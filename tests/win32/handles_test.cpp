// Handle owners and the second-copy test.

#include <gtest/gtest.h>

#include <string>

#include "base/run_error.h"
#include "ui/win32/handles.h"
#include "ui/win32/single_instance.h"

namespace qeb::ui::win32 {
namespace {

HANDLE NewEvent() {
  return CreateEventW(/*security=*/nullptr, /*manual_reset=*/TRUE, /*initial=*/FALSE,
                      /*name=*/nullptr);
}

bool IsOpenHandle(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

// A name of this test process only, so that parallel runs do not meet.
std::wstring UniqueName(const wchar_t* what) {
  return std::wstring(L"Local\\QEB_SUA.test.") + what + L"." +
         std::to_wstring(GetCurrentProcessId());
}

TEST(UniqueKernelHandle, NullAndInvalidHandleValueBothMeanNothing) {
  EXPECT_FALSE(UniqueKernelHandle(nullptr));
  EXPECT_FALSE(UniqueKernelHandle(INVALID_HANDLE_VALUE));
  UniqueKernelHandle owner(INVALID_HANDLE_VALUE);
  EXPECT_TRUE(owner.Close());  // nothing to close is no failure
}

TEST(UniqueKernelHandle, ClosesOnceAndMovesOwnership) {
  const HANDLE event = NewEvent();
  ASSERT_NE(event, nullptr);
  {
    UniqueKernelHandle first(event);
    UniqueKernelHandle second(std::move(first));
    EXPECT_FALSE(first);  // NOLINT(bugprone-use-after-move): the moved-from state is the point
    EXPECT_EQ(second.get(), event);
    UniqueKernelHandle third;
    third = std::move(second);
    EXPECT_TRUE(IsOpenHandle(event));
  }
  EXPECT_FALSE(IsOpenHandle(event));
}

TEST(UniqueKernelHandle, CloseReportsSuccessAndEmptiesTheOwner) {
  const HANDLE event = NewEvent();
  UniqueKernelHandle owner(event);
  EXPECT_TRUE(owner.Close());
  EXPECT_FALSE(owner);
  EXPECT_FALSE(IsOpenHandle(event));
}

TEST(UniqueKernelHandle, ResetClosesTheOldHandle) {
  const HANDLE first = NewEvent();
  const HANDLE second = NewEvent();
  UniqueKernelHandle owner(first);
  owner.reset(second);
  EXPECT_FALSE(IsOpenHandle(first));
  EXPECT_TRUE(IsOpenHandle(second));
  EXPECT_EQ(owner.release(), second);
  EXPECT_TRUE(IsOpenHandle(second));
  CloseHandle(second);
}

TEST(SingleInstance, TheSecondHolderOfTheNameSeesTheFirst) {
  const std::wstring name = UniqueName(L"segunda");
  SingleInstance first(name);
  EXPECT_FALSE(first.AnotherCopyRunning());
  {
    SingleInstance second(name);
    EXPECT_TRUE(second.AnotherCopyRunning());
  }
  // The first copy still runs: a third start still sees it.
  SingleInstance third(name);
  EXPECT_TRUE(third.AnotherCopyRunning());
}

TEST(SingleInstance, TheNameIsFreeAgainOnceEveryCopyHasEnded) {
  const std::wstring name = UniqueName(L"libre");
  { SingleInstance earlier(name); }
  SingleInstance later(name);
  EXPECT_FALSE(later.AnotherCopyRunning());
}

TEST(SingleInstance, ANameTakenByAnotherKindOfObjectIsAnError) {
  const std::wstring name = UniqueName(L"evento");
  UniqueKernelHandle event(CreateEventW(/*security=*/nullptr, /*manual_reset=*/TRUE,
                                        /*initial=*/FALSE, name.c_str()));
  ASSERT_TRUE(event);
  SingleInstance instance(name);
  try {
    instance.AnotherCopyRunning();
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), ERROR_INVALID_HANDLE);
  }
}

}  // namespace
}  // namespace qeb::ui::win32
