#pragma once
// Every word the program says to the operator, and every window title,
// exactly as shown. Elsewhere: the packing component's error texts
// (zip/zip_error_text.h) and the run-time error texts (base/run_error.h).

#include <cstdint>
#include <string>

namespace qeb {

// Window titles: "Q.E.B. ( " + middle + " ) V" + version.
inline constexpr const char* kConcatenacion = "Concatenación de SUA's";
inline constexpr const char* kCompresion = "Compresión de SUA's";
inline constexpr const char* kVersion = "1.0";
inline constexpr const char* kVersionPrimerAviso = "1.1";  // the first diskette prompt only
inline std::string ApplicationTitle(const char* middle = kConcatenacion,
                                    const char* version = kVersion) {
  return std::string("Q.E.B. ( ") + middle + " ) V" + version;
}

// TituloApp, which the Open dialog's title names.
inline constexpr const char* kTituloApp = "Cuotas IMSS (SUA)";

// The progress window's line: when the window has just been loaded, and
// while the program works.
inline constexpr const char* kVerificandoArchivo = "Verificando Archivo";
inline constexpr const char* kPreparando = "Preparando información";

// The Open dialog: its title, and the filters of the first file and of piece n.
inline std::string DialogTitle(const std::string& titulo_app) {
  return "Verificación para " + titulo_app;
}
inline constexpr const char* kFiltroPrimerArchivo = "SUA (*.SU0;*.SUA)|*.SU0;*.SUA";
inline std::string PieceFilter(int16_t n) {
  const std::string k = std::to_string(n);
  return "SU" + k + "(*.SU" + k + ")|*.SU" + k + "|";
}

// The diskette prompts: the first (always number 0, drive A:), and each further one.
inline std::string FirstDisketteText(int16_t n) {
  return "Por favor inserte el diskette #" + std::to_string(n) + " en la unidad A:";
}
inline constexpr const char* kMasDiskettes = "¿Más diskettes?";
inline std::string DisketteText(int16_t n, const std::string& drive) {
  return "Inserte el diskette #" + std::to_string(n) + " en la unidad " + drive;
}

// Refusals and failures of the run, in the order the run meets them.
inline constexpr const char* kNombreNoCorresponde =
    "NOMBRE DE ARCHIVO NO CORRESPONDE A LOS DATOS QUE CONTIENE";
inline constexpr const char* kNoConcatenado = "No fue posible concatenar el archivo";
inline constexpr const char* kCantidadDeDiscos =
    "La cantidad de discos no corresponde con los esperados.";
inline constexpr const char* kNoValidado = "No fue posible validar el Nombre del Archivo.";
inline constexpr const char* kSinRegistroDeValidacion =
    "Error en el formato de la información, se esperaba registro de Validación";
inline constexpr const char* kNombreNoGeneradoPorSua =
    "El nombre del archivo no corresponde a los datos generados por el SUA.";
// A file-system failure of a file operation: its name and a colon before the error.
inline constexpr const char* kAppendFile = "FGAppendFile";
inline constexpr const char* kRegValFile = "FGRegValFile";

// The closing report.
inline constexpr const char* kCopiadoComo = "El archivo concatenado se copió como: ";
inline constexpr const char* kNoCopiado = "El archivo concatenado NO se copió.";

}  // namespace qeb
