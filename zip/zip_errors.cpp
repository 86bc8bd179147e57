#include "zip/zip_errors.h"

#include "zip/zip_format.h"

namespace qeb::zip {
namespace {

struct DefectText {
  long code;  // from the zip error table
  const char* text;
};

DefectText TextOf(ZipDefect defect) {
  switch (defect) {
    case ZipDefect::kNoEndRecord:
      return {519, "No es un archivo ZIP: falta el registro final del directorio central"};
    case ZipDefect::kTruncated:
      return {160, "El archivo ZIP está truncado"};
    case ZipDefect::kBadSignature:
      return {110, "Un encabezado del archivo ZIP no tiene su firma"};
    case ZipDefect::kInconsistent:
      return {110, "Los encabezados del archivo ZIP no concuerdan"};
    case ZipDefect::kZip64:
      return {140, "El archivo ZIP usa extensiones Zip64, que no se admiten"};
    case ZipDefect::kMultiDisk:
      return {410, "El archivo ZIP ocupa varios discos, lo que no se admite"};
    case ZipDefect::kEncrypted:
      return {140, "La entrada está cifrada y no se puede extraer"};
    case ZipDefect::kUnsupportedMethod:
      return {140, "La entrada usa un método de compresión que no se admite"};
    case ZipDefect::kBadCompressedData:
      return {110, "Los datos comprimidos de la entrada están dañados"};
    case ZipDefect::kSizeMismatch:
      return {110, "El tamaño de los datos no corresponde al del encabezado"};
    case ZipDefect::kCrcMismatch:
      return {110, "El CRC de los datos no corresponde al del encabezado"};
    case ZipDefect::kBadName:
      return {519, "El nombre de la entrada no es válido"};
    case ZipDefect::kUnsafeName:
      return {519, "El nombre de la entrada sale de la carpeta destino"};
  }
  return {999, "Defecto desconocido del archivo ZIP"};
}

std::string Describe(const DefectText& text, const std::string& detail) {
  return detail.empty() ? text.text : std::string(text.text) + ": " + detail;
}

}  // namespace

ZipFormatError::ZipFormatError(ZipDefect defect, const std::string& detail)
    : RunError(TextOf(defect).code, Describe(TextOf(defect), detail)), defect_(defect) {}

uint16_t FitField16(uint64_t value, const char* what) {
  if (value > format::kMaxFieldLength) throw ZipTooLargeError(what);
  return static_cast<uint16_t>(value);
}

uint32_t FitField32(uint64_t value, const char* what) {
  if (value > format::kMaxSize32) throw ZipTooLargeError(what);
  return static_cast<uint32_t>(value);
}

}  // namespace qeb::zip
