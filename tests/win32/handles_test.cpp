// Handle owners.

#include <gtest/gtest.h>

#include "ui/win32/handles.h"

namespace qeb::ui::win32 {
namespace {

bool IsOpen(HANDLE handle) {
  DWORD flags = 0;
  return GetHandleInformation(handle, &flags) != FALSE;
}

TEST(UniqueKernelHandle, OwnsOneHandleClosingItOnceAndTakesNullAndInvalidForNothing) {
  EXPECT_FALSE(UniqueKernelHandle(nullptr));
  UniqueKernelHandle nothing(INVALID_HANDLE_VALUE);
  EXPECT_FALSE(nothing);
  EXPECT_TRUE(nothing.Close());  // nothing to close is no failure
  const auto new_event = [] { return CreateEventW(nullptr, TRUE, FALSE, nullptr); };
  const HANDLE first = new_event(), second = new_event(), third = new_event();
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

}  // namespace
}  // namespace qeb::ui::win32
