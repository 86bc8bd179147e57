#include "sua/paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "base/path_separator.h"
#include "base/run_error.h"
#include "temp_folder.h"
#include "unopenable_file.h"

namespace qeb {
namespace {

using testing_sua::TempFolder;

struct SplitCase {
  std::string ruta;
  std::string nombre;
  std::string directorio;
};
void PrintTo(const SplitCase& c, std::ostream* out) {
  *out << '"' << c.ruta << '"';
}

std::string WithSlashes(std::string text) {
  std::replace(text.begin(), text.end(), '\\', '/');
  return text;
}

const std::vector<SplitCase> kSplitCases{
    {"A:\\X.SU0", "X.SU0", "A:\\"},
    {"C:\\QEB\\tmp\\S0307379.SUA", "S0307379.SUA", "C:\\QEB\\tmp\\"},
    {"X.SUA", "X.SUA", ""},
    // The last character is never the separator.
    {"C:\\DIR\\", "DIR\\", "C:\\"},
    {"\\X", "X", "\\"},
    {"\\", "\\", ""},
    {"", "", ""},
    {"X", "X", ""},
    {"\\\\", "\\", "\\"},
    {"C:\\a\\\\b", "b", "C:\\a\\\\"},
    // Only the separator splits.
    {"C:/DIR/X.SUA", "C:/DIR/X.SUA", ""},
    {"C:\\DIR/X.SUA", "DIR/X.SUA", "C:\\"},
    // Multi-byte characters are never cut.
    {"C:\\Año\\Señal.SUA", "Señal.SUA", "C:\\Año\\"},
};

class SplitPathCases : public testing::TestWithParam<SplitCase> {};

TEST_P(SplitPathCases, SplitsAtTheLastBackslashBeforeTheLastCharacter) {
  const SplitCase& c = GetParam();
  std::string nombre = "old", directorio = "old";
  SplitPath(c.ruta, '\\', nombre, directorio);
  EXPECT_EQ(nombre, c.nombre);
  EXPECT_EQ(directorio, c.directorio);
  EXPECT_EQ(directorio + nombre, c.ruta);
}

INSTANTIATE_TEST_SUITE_P(Table, SplitPathCases, testing::ValuesIn(kSplitCases));

TEST(SplitPath, SplitsTheSameWayAtSlashesWhenTheyAreTheSeparator) {
  for (const SplitCase& c : kSplitCases) {
    if (c.ruta.find('/') != std::string::npos) continue;  // slashes of its own
    SCOPED_TRACE(c.ruta);
    std::string nombre = "old", directorio = "old";
    SplitPath(WithSlashes(c.ruta), '/', nombre, directorio);
    EXPECT_EQ(nombre, WithSlashes(c.nombre));
    EXPECT_EQ(directorio, WithSlashes(c.directorio));
  }
}

TEST(SplitPath, OutputsMayBeTheStringBeingSplit) {
  std::string text = "A:\\X.SU0";
  std::string folder;
  SplitPath(text, '\\', text, folder);
  EXPECT_EQ(text, "X.SU0");
  EXPECT_EQ(folder, "A:\\");

  std::string other = "A:\\X.SU0";
  std::string name;
  SplitPath(other, '\\', name, other);
  EXPECT_EQ(name, "X.SU0");
  EXPECT_EQ(other, "A:\\");
}

TEST(SplitPath, PathsBeyond32767CharactersOverflow) {
  std::string nombre, directorio;
  const std::string longest = "C:\\" + std::string(32767 - 3, 'x');
  SplitPath(longest, '\\', nombre, directorio);
  EXPECT_EQ(directorio, "C:\\");

  try {
    SplitPath(longest + "x", '\\', nombre, directorio);
    FAIL() << "a path of 32768 characters must overflow";
  } catch (const RunError& error) {
    EXPECT_EQ(error.number(), kErrOverflow);
  }
  EXPECT_EQ(directorio, "C:\\") << "a failed split leaves the outputs alone";
}

TEST(SplitPath, LengthIsCountedInCharactersNotBytes) {
  std::string nombre, directorio;
  std::string ene;  // 32767 two-byte characters
  for (int i = 0; i < 32767; ++i) ene += "ñ";
  EXPECT_NO_THROW(SplitPath(ene, '\\', nombre, directorio));
  EXPECT_EQ(nombre, ene);
  EXPECT_THROW(SplitPath(ene + "ñ", '\\', nombre, directorio), RunError);
}

TEST(FGSeparaRuta, SplitsAtThePlatformsSeparator) {
  const std::string sep(1, kPathSeparator);
  std::string nombre, directorio;
  FGSeparaRuta("root" + sep + "tmp" + sep + "S0307379.SU0", nombre, directorio);
  EXPECT_EQ(nombre, "S0307379.SU0");
  EXPECT_EQ(directorio, "root" + sep + "tmp" + sep);
}

TEST(FGExisteArch, FilesThatOpenArePresentEvenWhenEmpty) {
  TempFolder folder;
  EXPECT_TRUE(FGExisteArch(folder.Write("lleno.sua", "06 datos")));
  EXPECT_TRUE(FGExisteArch(folder.Write("vacio.sua", "")));
}

TEST(FGExisteArch, MissingFilesFoldersAndTheEmptyPathAreNot) {
  TempFolder folder;
  EXPECT_FALSE(FGExisteArch(folder.Path("no-existe.sua")));
  EXPECT_FALSE(FGExisteArch(folder.Path("sin-carpeta") + kPathSeparator + "x.sua"));
  EXPECT_FALSE(FGExisteArch(folder.Root()));
  EXPECT_FALSE(FGExisteArch(""));
  EXPECT_FALSE(FGExisteArch(folder.Root() + kPathSeparator + "\xFF\xFE.sua"));  // no UTF-8
}

// A file that cannot be opened counts as present exactly when it holds data.
TEST(FGExisteArch, UnopenableFilesArePresentWhenTheyHoldData) {
  TempFolder folder;
  const std::string full = folder.Write("lleno.sua", "06 datos");
  const std::string empty = folder.Write("vacio.sua", "");
  const auto answer = [](const std::string& path) {
    return [path] { return std::string(FGExisteArch(path) ? "true" : "false"); };
  };
  EXPECT_EQ(testing_sua::WhileUnopenable(folder.Root(), full, answer(full)), "true");
  EXPECT_EQ(testing_sua::WhileUnopenable(folder.Root(), empty, answer(empty)), "false");
}

}  // namespace
}  // namespace qeb
