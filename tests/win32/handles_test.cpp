// Handle owners, and the named object that tells a second copy of the program.

#include <gtest/gtest.h>

#include <string>

#include "base/run_error.h"
#include "ui/win32/handles.h"
#include "ui/win32/single_instance.h"

namespace qeb::ui::win32 {
namespace {

HANDLE NewEvent(const wchar_t* name = nullptr) {
  return CreateEventW(/*security=*/nullptr, /*manual_reset=*/TRUE, /*initial=*/FALSE, name);
}

bool IsOpenHandle(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueKernelHandle, OwnsOneHandleClosingItOnceAndTakesNullAndInvalidForNothing) {
  EXPECT_FALSE(UniqueKernelHandle(nullptr));
  UniqueKernelHandle nothing(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(nothing);
  EXPECT_TRUE(nothing.Close());  // nothing to close is no failure

  const HANDLE first = NewEvent();
  const HANDLE second = NewEvent();
  {
    UniqueKernelHandle moved(first);
    UniqueKernelHandle owner(std::move(moved));
    EXPECT_FALSE(moved);  // NOLINT(bugprone-use-after-move): the moved-from state is the point
    owner.reset(second);
    EXPECT_FALSE(IsOpenHandle(first));
    EXPECT_TRUE(owner.Close());
    EXPECT_FALSE(owner);
    EXPECT_FALSE(IsOpenHandle(second));
    const HANDLE third = NewEvent();
    owner.reset(third);
    EXPECT_EQ(owner.release(), third);
    EXPECT_TRUE(IsOpenHandle(third));
    owner.reset(third);
  }
  EXPECT_FALSE(IsOpenHandle(first));
}

// A second copy, and the name free again once a copy ended, are seen end to
// end; a name that another kind of object holds is not.
TEST(SingleInstance, ANameHeldByAnotherKindOfObjectIsAnError) {
  const std::wstring name = L"Local\\QEB_SUA.test." + std::to_wstring(GetCurrentProcessId());
  UniqueKernelHandle event(NewEvent(name.c_str()));
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
