#include "zip/zip_errors.h"

#include "zip/zip_error_text.h"
#include "zip/zip_format.h"

namespace qeb::zip {
namespace {

struct DefectText {
  ZipCode code;
  const char* text;
};

DefectText TextOf(ZipDefect defect) {
  switch (defect) {
    case ZipDefect::kNoEndRecord:
      return {ZipCode::kInvalidArchive,
              "No es un archivo ZIP: falta el registro final del directorio central"};
    case ZipDefect::kTruncated:
      return {ZipCode::kTruncated, "El archivo ZIP está truncado"};
    case ZipDefect::kBadSignature:
      return {ZipCode::kCorrupt, "Un encabezado del archivo ZIP no tiene su firma"};
    case ZipDefect::kInconsistent:
      return {ZipCode::kCorrupt, "Los encabezados del archivo ZIP no concuerdan"};
    case ZipDefect::kZip64:
      return {ZipCode::kNothingToProcess,
              "El archivo ZIP usa extensiones Zip64, que no se admiten"};
    case ZipDefect::kMultiDisk:
      return {ZipCode::kMultiDisk, "El archivo ZIP ocupa varios discos, lo que no se admite"};
    case ZipDefect::kEncrypted:
      return {ZipCode::kNothingToProcess, "La entrada está cifrada y no se puede extraer"};
    case ZipDefect::kUnsupportedMethod:
      return {ZipCode::kNothingToProcess,
              "La entrada usa un método de compresión que no se admite"};
    case ZipDefect::kBadCompressedData:
      return {ZipCode::kCorrupt, "Los datos comprimidos de la entrada están dañados"};
    case ZipDefect::kSizeMismatch:
      return {ZipCode::kCorrupt, "El tamaño de los datos no corresponde al del encabezado"};
    case ZipDefect::kCrcMismatch:
      return {ZipCode::kCorrupt, "El CRC de los datos no corresponde al del encabezado"};
    case ZipDefect::kBadName:
      return {ZipCode::kInvalidArchive, "El nombre de la entrada no es válido"};
    case ZipDefect::kUnsafeName:
      return {ZipCode::kInvalidArchive, "El nombre de la entrada sale de la carpeta destino"};
  }
  return {ZipCode::kUnexpected, "Defecto desconocido del archivo ZIP"};
}

std::string Describe(const DefectText& text, const std::string& detail) {
  return detail.empty() ? text.text : std::string(text.text) + ": " + detail;
}

}  // namespace

ZipError::ZipError(ZipCode code) : ZipError(code, ZipErrorText(static_cast<int32_t>(code))) {}

ZipError::ZipError(ZipCode code, const std::string& description)
    : RunError(static_cast<long>(code), description) {}

ZipFormatError::ZipFormatError(ZipDefect defect, const std::string& detail)
    : ZipError(TextOf(defect).code, Describe(TextOf(defect), detail)), defect_(defect) {}

uint16_t FitField16(uint64_t value, const char* what) {
  if (value > format::kMaxFieldLength) throw ZipTooLargeError(what);
  return static_cast<uint16_t>(value);
}

uint32_t FitField32(uint64_t value, const char* what) {
  if (value > format::kMaxSize32) throw ZipTooLargeError(what);
  return static_cast<uint32_t>(value);
}

}  // namespace qeb::zip
