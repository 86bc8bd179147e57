#include <gtest/gtest.h>

#include <sstream>
#include <utility>

#include "base/run_error.h"
#include "zip/cifra_xor.h"
#include "zip/zip_error_text.h"
#include "zip/zip_errors.h"

namespace qeb::zip {
namespace {

// Each row: the value, the key, and the comment or the error number. Every
// code but 0, 1 and 34 comes back when scrambled twice.
TEST(FGCifraXor, ScramblesEachCodeOrKeepsItAndFailsPastTheLimits) {
  const struct {
    std::string valor, llave, comment;
    long error = 0;
  } kCases[] = {
      {"0123456789ABCDEFGHI", kLlaveComentario, "bipezdbv\x0f\n\n\x0eztq\x0eu}q"},  // by hand
      {"", "", ""},                             // the key is not read
      {"RSpP@q\xF1", "R", "RSp\x02\x12#\xA3"},  // x = 0, 1, 34 keep it; never negative
      {"AAAAA", "AB", "A\003A\003A"},           // the key starts over
      {std::string(32766, 'A'), "B", std::string(32766, '\x03')},
      {"A", std::string(32767, 'B'), "\x03"},
      // clang-format off
      {"A", "", "", kErrInvalidArgument}, {std::string(32766, 'A'), "", "", kErrInvalidArgument},
      {std::string(32767, 'A'), "B", "", kErrOverflow},
      {std::string(40000, 'A'), "", "", kErrOverflow},
      {"A", std::string(32768, 'B'), "", kErrOverflow},
      {"", std::string(32768, 'B'), "", kErrOverflow},
      // clang-format on
  };
  for (const auto& c : kCases) {
    long error = 0;
    std::string comment;
    try {
      comment = FGCifraXor(c.valor, c.llave);
    } catch (const RunError& e) {
      error = e.number();
    }
    EXPECT_EQ(std::to_string(error) + " " + comment, std::to_string(c.error) + " " + c.comment)
        << c.valor.substr(0, 20) << " with " << c.llave.substr(0, 20);
  }
  std::string all;
  for (int code = 2; code < 256; ++code)
    if (code != 34) all += static_cast<char>(code);
  EXPECT_EQ(FGCifraXor(FGCifraXor(all, kLlaveComentario), kLlaveComentario), all);
}

// What the operator reads for every code the component returns: the code, a
// blank and the text, rows apart by '|'.
const char* const kTable =
    R"(10 Algunas inconsistencias estructurales de menor importancia fueron detectadas en el archivo ZIP.|40 Algunos de los archivos que se procesarón fueron descartados.|50 El archivo ZIP no contiene ningún archivo. Esto sucede cuando usted intenta Extraer.|100 El archivo especificado en la propiedad ZipFileName no fue encontrado.|110 El contenido del archivo ZIP es corrupto, y no puede ser accesado.|
120 No hay memoria disponible para terminar con éxito la operación.|140 No se encontró ninguno archivo, o ninguno archivo se puede procesar.|150 No hay bastante espacio en el dispositivo de almacenamiento para terminar la operación.|160 El ZIP se truncó, falta información, o está corrupto.|190 La operación fue abortada porque la propiedad ABORT fue puesta a TRUE.|410 El componente no está en modo de Multidisk.|
420 The wrong disk was repeatedly inserted after a request for a specific disk by the Newdisk event. Three (3) attempts at inserting the correct disk are allowed by Xceed Zip when unzipping.|500 El archivo comprimido está vacío.|501 No se puede buscar en el archivo zip.|502 Prematuro final de archivo encontrado en el archivo zip.|503 El archivo comprimido no se puede abrir o no se encuentra.|
504 Se produjo un error al intentar crear un archivo temporal.|505 Se produjo un error al leer los datos desde el archivo zip.|506 Se produjo un error al escribir en un archivo temporal.|507 Se produjo un error al escribir en el archivo zip.|508 No se puede mover el archivo zip temporal para el destino real de zip especificado por la propiedad ZipFilename.|509 No hay archivos terminados siendo procesados.|
510 La biblioteca se encargó de actualizar un archivo zip que terminó siendo demasiado grande para caber en la ubicación actual. Un archivo comprimido no se puede actualizar a partir de una postal normal en un archivo zip se extendió o se separan.|511 El sistema se quedó sin memoria.|512 El valor especificado en la propiedad SplitSize era demasiado pequeño.|
513 No se pudo encontrar el binario autoextraíble especificado en la propiedad SfxBinaryModule.|514 Se produjo un error al leer los datos del binario autoextraíble especificado en la propiedad SfxBinaryModule.|515 La biblioteca se encargó de eliminar o añadir archivos a un archivo zip existente se extendió o se separan. Este tipo de operación no es compatible.|
516 La instancia actual de la biblioteca ya se está ejecutando otra operación.|517 La biblioteca se encargó de abortar la operación en curso durante la ocurrencia del evento InsertDisk.|518 La propiedad abortar se establece en True, y la actual operación fue abortada con éxito.|519 El archivo zip especificado en la propiedad ZipFilename no es válido.|
520 Una cadena no válida se pasa en el parámetro vaDataToCompress del evento ZippingMemoryFile.|521 Una matriz de bytes no válida se pasa en el parámetro vaDataToCompress del evento ZippingMemoryFile.|522 La matriz pasada en el parámetro vaDataToCompress del evento ZippingMemoryFile no era un arreglo 1-dimensional.|
523 La matriz pasada en el parámetro vaDataToCompress del evento ZippingMemoryFile no era una matriz de bytes.|524 Los datos de la cadena o matriz pasada al parámetro vaDataToCompress del evento ZippingMemoryFile no se puede acceder por la biblioteca.|525 Un tipo de datos no válidos fue recibido por la biblioteca para el parámetro vaDataToCompress del evento ZippingMemoryFile.|
528 La biblioteca se encargó de abortar la operación en curso durante la ocurrencia del evento DiskNotEmpty.|529 El método RemoveFiles se incovocado, pero la propiedad UseTempFile se establece en False.|531 La propiedades SfxProgramGroupItems o SfxExtensionsToAssociate contienen un elemento inválido.|999 Ocurrió un error inesperado en la biblioteca.)";

TEST(ZipErrorText, EveryCodeHasItsTextAndAnyOtherIsUncatalogued) {
  std::istringstream rows(kTable);
  int count = 0;
  for (std::string row; std::getline(rows, row, '|'); ++count)
    EXPECT_EQ(ZipErrorText(std::stoi(row)), row.substr(row.find(' ') + 1)) << row;
  EXPECT_EQ(count, 42);
  for (const int32_t other : {0, -1, -150, -32768, 526, 527, 530, 9, 11, 400, 1000, 32767})
    EXPECT_EQ(ZipErrorText(other), "Error en XCEEDZIP no catalogado") << other;
}

// Each kind of failure takes the code that the table names for it, and the
// table's text with it.
TEST(ZipError, EachCauseTakesTheCodeTheTableNamesForIt) {
  // clang-format off
  const std::pair<ZipCode, int32_t> rows[] = {
      {ZipCode::kCorrupt, 110}, {ZipCode::kOutOfMemory, 120}, {ZipCode::kNothingToProcess, 140},
      {ZipCode::kDiskFull, 150}, {ZipCode::kTruncated, 160}, {ZipCode::kMultiDisk, 410},
      {ZipCode::kTempFileNotCreated, 504}, {ZipCode::kSourceNotRead, 505},
      {ZipCode::kTempFileNotWritten, 506}, {ZipCode::kNotMovedIntoPlace, 508},
      {ZipCode::kInvalidArchive, 519}, {ZipCode::kUnexpected, 999}};
  // clang-format on
  for (const auto& [cause, code] : rows) {
    const ZipError error(cause);
    EXPECT_EQ(error.code(), code);
    EXPECT_EQ(error.description(), ZipErrorText(code)) << code;
  }
}

}  // namespace
}  // namespace qeb::zip
