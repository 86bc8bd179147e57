#include "sua/paths.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/path_separator.h"
#include "base/run_error.h"
#include "fixture.h"

namespace qeb {
namespace {

using namespace testing_sua;

// Splits at the last separator before the last character, never cutting a
// multi-byte character; with slashes as the separator the same way.
TEST(SplitPath, SplitsAtTheLastSeparatorBeforeTheLastCharacter) {
  // clang-format off
  const std::string rows[][3] = {
      {"A:\\X.SU0", "X.SU0", "A:\\"}, {"C:\\QEB\\tmp\\S0307379.SUA", "S0307379.SUA", "C:\\QEB\\tmp\\"},
      {"X.SUA", "X.SUA", ""}, {"C:\\DIR\\", "DIR\\", "C:\\"}, {"\\X", "X", "\\"}, {"\\", "\\", ""},
      {"", "", ""}, {"\\\\", "\\", "\\"}, {"C:\\a\\\\b", "b", "C:\\a\\\\"},
      {"C:/DIR/X.SUA", "C:/DIR/X.SUA", ""}, {"C:\\DIR/X.SUA", "DIR/X.SUA", "C:\\"},
      {"C:\\Año\\Señal.SUA", "Señal.SUA", "C:\\Año\\"}};
  // clang-format on
  const auto slashes = [](std::string text) {
    std::replace(text.begin(), text.end(), '\\', '/');
    return text;
  };
  for (const auto& [ruta, nombre, directorio] : rows) {
    std::string n = "old", d = "old";
    SplitPath(ruta, '\\', n, d);
    EXPECT_EQ(n + "|" + d, nombre + "|" + directorio) << ruta;
    if (ruta.find('/') != std::string::npos) continue;
    SplitPath(slashes(ruta), '/', n, d);
    EXPECT_EQ(n + "|" + d, slashes(nombre) + "|" + slashes(directorio)) << ruta;
  }
  std::string text = "A:\\X.SU0", folder, other = text, name;  // outputs may be the input
  SplitPath(text, '\\', text, folder);
  SplitPath(other, '\\', name, other);
  EXPECT_EQ(text + "|" + folder + "|" + name + "|" + other, "X.SU0|A:\\|X.SU0|A:\\");
  std::string sep(1, kPathSeparator);
  FGSeparaRuta("root" + sep + "tmp" + sep + "S0307379.SU0", name, folder);
  EXPECT_EQ(name + "|" + folder, "S0307379.SU0|root" + sep + "tmp" + sep);
}

TEST(SplitPath, PathsBeyond32767CharactersOverflow) {
  std::string ene, nombre = "old", directorio = "old";
  for (int i = 0; i < 32767; ++i) ene += "ñ";
  for (const std::string& ruta : {"C:\\" + std::string(32764, 'x'), ene}) {
    EXPECT_NO_THROW(SplitPath(ruta, '\\', nombre, directorio));
    EXPECT_EQ(directorio + nombre, ruta);
    try {
      SplitPath(ruta + "x", '\\', nombre, directorio);
      ADD_FAILURE() << "no overflow";
    } catch (const RunError& error) {
      EXPECT_EQ(error.number(), kErrOverflow);
    }
    EXPECT_EQ(directorio + nombre, ruta) << "a failed split leaves the outputs alone";
  }
}

// A file is present when it opens, or, when it cannot be opened, when it holds data.
TEST(FGExisteArch, FilesThatOpenOrHoldDataArePresent) {
  TempFolder folder;
  const std::string full = folder.Write("lleno.sua", "06 datos"),
                    empty = folder.Write("vacio.sua", "");
  // clang-format off
  const std::pair<std::string, bool> rows[] = {
      {full, true}, {empty, true}, {folder.Path("no-existe.sua"), false}, {folder.Root(), false},
      {folder.Path("sin-carpeta") + kPathSeparator + "x.sua", false}, {"", false},
      {folder.Root() + kPathSeparator + "\xFF\xFE.sua", false}};  // no UTF-8
  // clang-format on
  for (const auto& [path, present] : rows) EXPECT_EQ(FGExisteArch(path), present) << path;
  const auto answer = [](const std::string& path) {
    return [path] { return std::string(FGExisteArch(path) ? "present" : "absent"); };
  };
  EXPECT_EQ(WhileUnopenable(folder.Root(), full, answer(full)), "present");
  EXPECT_EQ(WhileUnopenable(folder.Root(), empty, answer(empty)), "absent");
}

}  // namespace
}  // namespace qeb
