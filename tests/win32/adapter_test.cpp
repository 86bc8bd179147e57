// The adapter without windows: UTF-8 and UTF-16, twips and pixels, handle
// owners and the test for an earlier running copy. Spanish texts and paths,
// the program's folder, a system error's number and text and the Open
// dialog's filters are seen end to end; these are the cases the scenarios do
// not reach.

#include "ui/win32/win32.h"
// After win32.h:
#include <gtest/gtest.h>
#include <sddl.h>

#include <limits>
#include <string>
#include <tuple>

#include "base/run_error.h"
#include "base/wide_text.h"
#include "ui/win32/dpi.h"
#include "ui/win32/handles.h"
#include "ui/win32/single_instance.h"

namespace qeb::ui::win32 {
namespace {

// The number of the RunError that `act` throws; 0 when it throws none.
template <typename Act>
long ErrorNumberOf(Act act) {
  try {
    act();
  } catch (const RunError& error) {
    return error.number();
  }
  return 0;
}

TEST(Utf, ConvertsBothWaysAndRefusesBrokenTextExceptWhereItIsOnlyShown) {
  // clang-format off
  const std::pair<std::string, std::wstring> cases[] = {
      {"", L""}, {"¿Más diskettes?", L"\u00BFM\u00E1s diskettes?"},
      {"Programa Ñandú\\canción 𝄞", L"Programa \u00D1and\u00FA\\canci\u00F3n \U0001D11E"}};
  // clang-format on
  for (const auto& [utf8, wide] : cases) {
    EXPECT_EQ(ToWide(utf8), wide);
    EXPECT_EQ(ToWideLenient(utf8), wide);
    EXPECT_EQ(ToUtf8(wide), utf8);
  }
  // A Latin-1 "ñ" where UTF-8 is expected, and an unpaired surrogate.
  const std::string latin1 = "Ca\361ada";
  const std::wstring unpaired{L'a', wchar_t{0xD800}, L'b'};
  EXPECT_EQ(ErrorNumberOf([&] { ToWide(latin1); }), ERROR_NO_UNICODE_TRANSLATION);
  EXPECT_THROW(ToUtf8(unpaired), RunError);
  EXPECT_EQ(ToWideLenient(latin1), L"Ca\uFFFDada");
  EXPECT_EQ(ToUtf8Lenient(unpaired), "a\357\277\275b");
}

TEST(Twips, RoundToTheNearestPixelForTheDpiAndBeyondAScreenAreAnOverflow) {
  const struct {
    double twips;
    UINT dpi;
    int pixels;
  } cases[] = {{4395, 96, 293},  {1200, 96, 80},   {369, 96, 25}, {3735, 96, 249},
               {4395, 144, 440}, {4395, 192, 586}, {-7.4, 96, 0}, {-22.5, 96, -2}};
  for (const auto& c : cases)
    EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels) << c.twips << " at " << c.dpi;
  EXPECT_DOUBLE_EQ(PixelsToTwips(1536, 144), 15360);
  for (const double twips : {1e300, -1e300, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity()})
    EXPECT_EQ(ErrorNumberOf([twips] { TwipsToPixels(twips, 96); }), kErrOverflow) << twips;
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

// An earlier copy holds the name, as a mutex that this process may open or
// (another user's copy) may not; a name that cannot be made is a failure
// with its number. A second start of the program itself is seen end to end.
TEST(SingleInstance, AnEarlierHolderOfTheNameIsACopyRunningAndOtherFailuresAreThrown) {
  // The name; the access rules of the earlier copy's mutex (none: no copy);
  // what CreateMutexW then tells this process; the answer; the error thrown.
  const std::tuple<const wchar_t*, const wchar_t*, DWORD, bool, long> cases[] = {
      {L"Local\\QEB_SUA.test.libre", nullptr, ERROR_SUCCESS, false, 0},
      {L"Local\\QEB_SUA.test.abierto", L"D:(A;;GA;;;WD)", ERROR_ALREADY_EXISTS, true, 0},
      {L"Local\\QEB_SUA.test.cerrado", L"D:(D;;GA;;;WD)", ERROR_ACCESS_DENIED, true, 0},
      {L"NoHay\\QEB_SUA.test", nullptr, ERROR_PATH_NOT_FOUND, false, ERROR_PATH_NOT_FOUND}};
  for (const auto& [name, rules, plain, another, error] : cases) {
    SECURITY_ATTRIBUTES earlier{sizeof(earlier), nullptr, FALSE};
    const bool copy =
        rules != nullptr && ConvertStringSecurityDescriptorToSecurityDescriptorW(
                                rules, SDDL_REVISION_1, &earlier.lpSecurityDescriptor, nullptr);
    const UniqueKernelHandle held(copy ? CreateMutexW(&earlier, FALSE, name) : nullptr);
    LocalFree(earlier.lpSecurityDescriptor);
    UniqueKernelHandle probe(CreateMutexW(nullptr, FALSE, name));
    EXPECT_EQ(GetLastError(), plain) << name;
    probe.reset();
    bool seen = false;
    EXPECT_EQ(ErrorNumberOf([&] { seen = SingleInstance(name).AnotherCopyRunning(); }), error)
        << name;
    EXPECT_EQ(seen, another) << name;
  }
}

}  // namespace
}  // namespace qeb::ui::win32
