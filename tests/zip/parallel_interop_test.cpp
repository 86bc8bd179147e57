// Files of several megabytes are deflated in blocks on several threads; the
// one entry they give must read back in Info-ZIP unzip, Python's zipfile and
// 7-Zip, and through this program's own reader, byte for byte. The tools
// exist only on the native build: a missing tool skips its test.

#include <gtest/gtest.h>

#include <filesystem>

#include "base/file_system.h"
#include "tools/sua_sample.h"
#include "zip/cifra_xor.h"
#include "zip/parallel_deflate.h"
#include "zip/zip_component.h"
#include "zip/zip_format.h"
#include "zip/zip_sua.h"
#include "zip_test_support.h"

namespace qeb::zip {
namespace {
using testing_zip::Quote;
using testing_zip::ReadAll;
using testing_zip::RunTool;
using testing_zip::TempFolder;

constexpr const char* kClave = "ABCD1234EFGH5678IJK";

// A joined SUA file of 15 diskettes, and text with stretches of noise (stored
// deflate blocks between compressed ones, across block boundaries).
std::string SuaData() {
  return sample::MakeSuaData("ABCD1234", 25'000, 11, 15);
}

std::string NoisyData() {
  std::string data;
  for (uint32_t seed = 40; data.size() < 4'500'000; ++seed)
    data +=
        seed % 2 == 0 ? testing_zip::Text(400'000, seed) : testing_zip::RandomBytes(300'000, seed);
  return data;
}

struct BigSample {
  std::string name;
  std::string (*make)();  // made when the test runs, not when the suite is listed
  std::string data;
  friend void PrintTo(const BigSample& sample, std::ostream* out) { *out << sample.name; }
};

class MultiBlockArchive : public testing::TestWithParam<BigSample> {
 protected:
  void SetUp() override {
    sample_ = {GetParam().name, GetParam().make, GetParam().make()};
    // Several blocks, so that the workers share the data.
    ASSERT_GT(sample_.data.size(), 8 * ParallelDeflateOptions{}.block_size);
    packed_ = testing_zip::PackWithComponent(folder_, sample_.name, sample_.data, kClave);
  }

  TempFolder folder_;
  BigSample sample_;
  testing_zip::Packed packed_;
};

TEST_P(MultiBlockArchive, PassesUnzipTest) {
  REQUIRE_TOOL("unzip");
  const testing_zip::ToolResult result = RunTool("unzip -t " + Quote(packed_.archive));
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_NE(result.output.find("No errors detected"), std::string::npos) << result.output;
}

TEST_P(MultiBlockArchive, ReadsBackInPythonZipfile) {
  REQUIRE_TOOL("python3");
  const testing_zip::ToolResult result =
      testing_zip::CheckWithPython(packed_, GetParam().name, /*deflated=*/true);
  EXPECT_EQ(result.status, 0) << result.output;
  EXPECT_EQ(result.output, "OK\n");
}

TEST_P(MultiBlockArchive, Passes7zTestAndExtractsTheSameBytes) {
  REQUIRE_TOOL("7z");
  const testing_zip::ToolResult test = RunTool("7z t " + Quote(packed_.archive));
  EXPECT_EQ(test.status, 0) << test.output;
  EXPECT_NE(test.output.find("Everything is Ok"), std::string::npos) << test.output;
  const testing_zip::ToolResult content =
      RunTool("7z x -so " + Quote(packed_.archive) + " | cmp - " + Quote(packed_.source));
  EXPECT_EQ(content.status, 0) << content.output;
}

TEST_P(MultiBlockArchive, OurReaderExtractsTheSameBytes) {
  ZIP_SUA zip;
  zip.SetZipFileName(packed_.archive);
  zip.SetFolderZIP(folder_.Path("out"));
  std::filesystem::create_directory(fs::ToPath(zip.FolderZIP()));
  ASSERT_TRUE(zip.UnzipToFolder()) << zip.ErrNum() << " " << zip.ErrDescription();
  EXPECT_TRUE(ReadAll(folder_.Path("out/" + GetParam().name)) == sample_.data);

  const testing_zip::ReadBack back = testing_zip::ReadArchive(ReadAll(packed_.archive));
  ASSERT_EQ(back.entries.size(), 1u);
  EXPECT_EQ(back.entries[0].method, format::kMethodDeflated);
  EXPECT_EQ(back.entries[0].comment, packed_.comment);
  EXPECT_LT(back.entries[0].compressed_size, sample_.data.size());
}

INSTANTIATE_TEST_SUITE_P(Samples, MultiBlockArchive,
                         testing::Values(BigSample{"JOINED.SUA", SuaData, ""},
                                         BigSample{"NOISY.SUA", NoisyData, ""}),
                         [](const testing::TestParamInfo<BigSample>& info) {
                           return info.index == 0 ? std::string("Sua") : std::string("Noisy");
                         });

}  // namespace
}  // namespace qeb::zip
