#include "sua/sua_text_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/run_error.h"
#include "fixture.h"

namespace qeb {
namespace {

using namespace testing_sua;

// Steps on one file: "@n" moves to position n, a number reads that many
// characters, "+" adds "def" to the file and "~n" cuts it to n bytes while it
// is open. After each step: the text read ("ok" for the other steps), the
// position and whether the data is at its end; or the error's number, the
// text kept and whether the data is at its end.
TEST(SuaTextFile, ReadsFromPositionOneUpToTheFirstMarkOfTheDataItOpenedWith) {
  // clang-format off
  const struct Row {
    std::string data, steps, expected;
  } rows[] = {{"0123456789", "4 @9 2", "0123 5 -; ok 9 -; 89 11 end; "},
              {"0123456789", "@8 4 @20 1", "ok 8 -; 62/kept -; ok 20 end; 62/kept end; "},
              {"abc" + kMark + "def" + kMark, "4 @1 3 @5 3", "62/kept -; ok 1 -; abc 4 end; ok 5 -; def 8 end; "},
              {"", "@1 1", "ok 1 end; 62/kept end; "}, {"abc", "@0 2", "5/kept -; ab 3 -; "},
              {"abc", "+ 3 1", "ok 1 -; abc 4 end; 62/abc end; "}, {"abcdef", "~3 3 3", "ok 1 -; abc 4 -; 62/abc -; "}};
  // clang-format on
  TempFolder folder;
  for (const Row& row : rows) {
    const std::string path = folder.Write("a.sua", row.data);
    SuaTextFile file(path);
    EXPECT_EQ(file.Length(), row.data.size());
    std::string said, text = "kept", step, what;
    for (std::istringstream steps(row.steps); steps >> step;) {
      try {
        what = "ok";
        if (step[0] == '@') file.SetPosition(std::stoul(step.substr(1)));
        if (step[0] == '~') std::filesystem::resize_file(path, std::stoul(step.substr(1)));
        if (step[0] == '+') std::ofstream(path, std::ios::binary | std::ios::app) << "def";
        if (std::isdigit(step[0])) file.Read(std::stoul(step), text), what = text;
      } catch (const RunError& error) {
        said += std::to_string(error.number()) + "/" + text + (file.AtEnd() ? " end; " : " -; ");
        continue;
      }
      said += what + " " + std::to_string(file.Position()) + (file.AtEnd() ? " end; " : " -; ");
    }
    EXPECT_EQ(said, row.expected) << row.steps;
  }
  EXPECT_THROW(SuaTextFile(folder.Path("missing.sua")), RunError);
  EXPECT_THROW(SuaTextFile(folder.Root()), RunError);
}

}  // namespace
}  // namespace qeb
