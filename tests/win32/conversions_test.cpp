// The adapter's pure conversions: UTF-8 and UTF-16, system error texts,
// twips and pixels, folders of paths, and the Open dialog's filter and errors.

#include "ui/win32/win32.h"
// After win32.h:
#include <cderr.h>
#include <gtest/gtest.h>

#include <limits>
#include <set>
#include <string>

#include "base/run_error.h"
#include "base/wide_text.h"
#include "ui/win32/dpi.h"
#include "ui/win32/module_folder.h"
#include "ui/win32/open_dialog.h"
#include "ui/win32/win32_error.h"

namespace qeb::ui::win32 {
namespace {

using namespace std::string_literals;

TEST(Utf, RoundTripsSpanishTextAndCharactersBeyondTheBasicPlane) {
  const std::string text = "Programa Ñandú\\canción ó ü 𝄞";
  const std::wstring wide = ToWide(text);
  EXPECT_EQ(wide, L"Programa \u00D1and\u00FA\\canci\u00F3n \u00F3 \u00FC \U0001D11E");
  EXPECT_EQ(ToUtf8(wide), text);
  EXPECT_EQ(ToWide(""), L"");
  EXPECT_EQ(ToUtf8(L""), "");
}

TEST(Utf, InvalidUtf8IsRefusedWithTheSystemsError) {
  // A Latin-1 "ñ" where UTF-8 is expected.
  try {
    ToWide(
        "Ca\xF1"
        "ada");
    FAIL() << "no error";
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), ERROR_NO_UNICODE_TRANSLATION);
    EXPECT_FALSE(error.description().empty());
  }
}

TEST(Utf, InvalidUtf8IsReplacedInTextsThatAreOnlyShown) {
  EXPECT_EQ(ToWideLenient("Ca\xF1"
                          "ada"),
            L"Ca\uFFFD"
            L"ada");
  EXPECT_EQ(ToWideLenient("¿Más diskettes?"), L"\u00BFM\u00E1s diskettes?");
}

TEST(Utf, AnUnpairedSurrogateIsRefusedForPathsAndReplacedForDisplay) {
  const std::wstring broken =
      L"a\xD800"
      L"b";
  EXPECT_THROW(ToUtf8(broken), RunError);
  EXPECT_EQ(ToUtf8Lenient(broken),
            "a\xEF\xBF\xBD"
            "b");
}

TEST(SystemErrors, CarryTheSystemsNumberAndTextWithoutTheLineBreak) {
  const RunError error = ErrorFromCode(ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(error.number(), 2);
  ASSERT_FALSE(error.description().empty());
  EXPECT_NE(error.description().back(), '\n');
  EXPECT_NE(error.description().back(), '\r');
  EXPECT_EQ(error.OperatorText(), "2 " + SystemErrorText(ERROR_FILE_NOT_FOUND));
}

TEST(SystemErrors, LastErrorIsReadFromTheFailedCall) {
  const HANDLE file = CreateFileW(L"C:\\no existe\\en absoluto.sua", GENERIC_READ, /*share=*/0,
                                  /*security=*/nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                  /*template=*/nullptr);
  ASSERT_EQ(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(LastError().number(), ERROR_PATH_NOT_FOUND);
}

TEST(SystemErrors, AFailureWithoutANumberStillReadsAsAnError) {
  // Number 0 would be taken for "no error" by the reports.
  const RunError error = ErrorFromCode(ERROR_SUCCESS);
  EXPECT_NE(error.number(), 0);
  EXPECT_FALSE(error.description().empty());
}

struct TwipsCase {
  double twips;
  UINT dpi;
  int pixels;
};

class TwipsToPixelsTable : public testing::TestWithParam<TwipsCase> {};

TEST_P(TwipsToPixelsTable, RoundsToTheNearestPixelForTheDpi) {
  const TwipsCase& c = GetParam();
  EXPECT_EQ(TwipsToPixels(c.twips, c.dpi), c.pixels);
}

INSTANTIATE_TEST_SUITE_P(ProgressWindowGeometry, TwipsToPixelsTable,
                         testing::Values(TwipsCase{4395, 96, 293}, TwipsCase{1200, 96, 80},
                                         TwipsCase{369, 96, 25}, TwipsCase{3735, 96, 249},
                                         TwipsCase{4395, 144, 440}, TwipsCase{1200, 144, 120},
                                         TwipsCase{4395, 192, 586}, TwipsCase{-7.4, 96, 0},
                                         TwipsCase{-22.5, 96, -2}));

TEST(Twips, ValuesBeyondAScreenCoordinateAreAnOverflow) {
  for (const double twips : {1e300, -1e300, std::numeric_limits<double>::quiet_NaN(),
                             std::numeric_limits<double>::infinity()}) {
    try {
      TwipsToPixels(twips, 96);
      ADD_FAILURE() << twips << " gave no error";
    } catch (const RunError& error) {
      EXPECT_EQ(error.number(), kErrOverflow) << twips;
    }
  }
}

TEST(Twips, PixelsBackToTwipsUseTheSameDpi) {
  EXPECT_DOUBLE_EQ(PixelsToTwips(1024, 96), 15360);
  EXPECT_DOUBLE_EQ(PixelsToTwips(293, 96), 4395);
  EXPECT_DOUBLE_EQ(PixelsToTwips(1536, 144), 15360);
  EXPECT_EQ(TwipsToPixels(PixelsToTwips(777, 120), 120), 777);
}

struct FolderCase {
  std::wstring path;
  std::wstring folder;
};

class FolderOfTable : public testing::TestWithParam<FolderCase> {};

TEST_P(FolderOfTable, DropsTheNameAndTheSeparatorBeforeIt) {
  EXPECT_EQ(FolderOf(GetParam().path), GetParam().folder);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, FolderOfTable,
    testing::Values(FolderCase{L"C:\\QEB_SUA\\QEB_SUA.exe", L"C:\\QEB_SUA"},
                    FolderCase{L"C:\\QEB_SUA.exe", L"C:"},
                    FolderCase{L"D:\\Programa \u00D1and\u00FA\\QEB_SUA.exe",
                               L"D:\\Programa \u00D1and\u00FA"},
                    FolderCase{L"\\\\servidor\\sua\\QEB_SUA.exe", L"\\\\servidor\\sua"},
                    FolderCase{L"\\\\?\\C:\\largo\\QEB_SUA.exe", L"\\\\?\\C:\\largo"},
                    FolderCase{L"QEB_SUA.exe", L""}));

TEST(ProgramFolder, IsTheFolderHoldingTheRunningExe) {
  const std::wstring exe = ModuleFileName(/*module=*/nullptr);
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_NE(folder.back(), '\\');
  EXPECT_EQ(ToWide(folder) + exe.substr(exe.find_last_of(L'\\')), exe);
  EXPECT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES);
}

struct FilterCase {
  std::string filter;
  std::wstring expected;
};

class DialogFilterTable : public testing::TestWithParam<FilterCase> {};

TEST_P(DialogFilterTable, BarsBecomeNulsAndTheListEndsInTwo) {
  EXPECT_EQ(DialogFilter(GetParam().filter), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    RunFilters, DialogFilterTable,
    testing::Values(FilterCase{"SUA (*.SU0;*.SUA)|*.SU0;*.SUA",
                               L"SUA (*.SU0;*.SUA)\0*.SU0;*.SUA\0\0"s},
                    // The run ends the filter of a further piece with a bar.
                    FilterCase{"SU1(*.SU1)|*.SU1|", L"SU1(*.SU1)\0*.SU1\0\0"s},
                    FilterCase{"SU12(*.SU12)|*.SU12|", L"SU12(*.SU12)\0*.SU12\0\0"s},
                    FilterCase{"Todos (*.*)|*.*|SUA|*.SUA", L"Todos (*.*)\0*.*\0SUA\0*.SUA\0\0"s},
                    FilterCase{"Canción (*.ñ)|*.ñ", L"Canci\u00F3n (*.\u00F1)\0*.\u00F1\0\0"s}));

TEST(CommonDialogErrors, EveryKnownCodeHasItsOwnTextAndOthersKeepTheirNumber) {
  const DWORD codes[] = {
      CDERR_STRUCTSIZE,      CDERR_INITIALIZATION,  CDERR_NOTEMPLATE,      CDERR_NOHINSTANCE,
      CDERR_LOADSTRFAILURE,  CDERR_FINDRESFAILURE,  CDERR_LOADRESFAILURE,  CDERR_LOCKRESFAILURE,
      CDERR_MEMALLOCFAILURE, CDERR_MEMLOCKFAILURE,  CDERR_NOHOOK,          CDERR_REGISTERMSGFAIL,
      CDERR_DIALOGFAILURE,   FNERR_SUBCLASSFAILURE, FNERR_INVALIDFILENAME, FNERR_BUFFERTOOSMALL};
  std::set<std::string> texts;
  const std::string unknown = CommonDialogErrorText(0x7777);
  for (const DWORD code : codes) {
    const std::string text = CommonDialogErrorText(code);
    EXPECT_NE(text, unknown) << code;
    texts.insert(text);
  }
  EXPECT_EQ(texts.size(), std::size(codes));
  EXPECT_NE(unknown.find(std::to_string(0x7777)), std::string::npos);
}

}  // namespace
}  // namespace qeb::ui::win32
