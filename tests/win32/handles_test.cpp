// Handle owners, and the named object that tells a second copy of the program.

#include <gtest/gtest.h>

#include <string>

#include "base/run_error.h"
#include "ui/win32/handles.h"
#include "ui/win32/single_instance.h"

namespace qeb::ui::win32 {
namespace {

HANDLE NewEvent(const wchar_t* name = nullptr) {
  return CreateEventW(nullptr, TRUE, FALSE, name);
}

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueKernelHandle, OwnsOneHandleClosingItOnceAndTakesNullAndInvalidForNothing) {
  EXPECT_FALSE(UniqueKernelHandle(nullptr));
  UniqueKernelHandle nothing(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(nothing);
  EXPECT_TRUE(nothing.Close());  // nothing to close is no failure
  const HANDLE first = NewEvent(), second = NewEvent(), third = NewEvent();
  {
    UniqueKernelHandle moved(first);
    UniqueKernelHandle owner(std::move(moved));
    EXPECT_FALSE(moved);  // NOLINT(bugprone-use-after-move): the moved-from state is the point
    owner.reset(second);
    EXPECT_FALSE(IsOpen(first));
    EXPECT_TRUE(owner.Close());
    EXPECT_FALSE(owner);
    EXPECT_FALSE(IsOpen(second));
    owner.reset(third);
    EXPECT_EQ(owner.release(), third);
    EXPECT_TRUE(IsOpen(third));
    owner.reset(third);
  }
  EXPECT_FALSE(IsOpen(third));
}

// A second copy, and the name free again once a copy ended, are seen end to
// end; a name that another kind of object holds is not.
TEST(SingleInstance, ANameHeldByAnotherKindOfObjectIsAnError) {
  const std::wstring name = L"Local\\QEB_SUA.test." + std::to_wstring(GetCurrentProcessId());
  const UniqueKernelHandle event(NewEvent(name.c_str()));
  ASSERT_TRUE(event);
  try {
    SingleInstance(name).AnotherCopyRunning();
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), ERROR_INVALID_HANDLE);
  }
}

}  // namespace
}  // namespace qeb::ui::win32
