#include "ui/win32/open_dialog.h"

#include <cderr.h>
#include <commdlg.h>

#include <array>
#include <vector>

#include "base/run_error.h"
#include "base/wide_text.h"

namespace qeb::ui::win32 {
namespace {

struct DialogError {
  DWORD code;
  const char* text;
};

constexpr std::array<DialogError, 16> kDialogErrors{{
    {CDERR_STRUCTSIZE, "El tamaño de la estructura del cuadro de diálogo no es válido."},
    {CDERR_INITIALIZATION, "El cuadro de diálogo falló al iniciarse."},
    {CDERR_NOTEMPLATE, "Falta la plantilla del cuadro de diálogo."},
    {CDERR_NOHINSTANCE, "Falta el identificador de instancia del cuadro de diálogo."},
    {CDERR_LOADSTRFAILURE, "El cuadro de diálogo no pudo cargar una cadena."},
    {CDERR_FINDRESFAILURE, "El cuadro de diálogo no encontró un recurso."},
    {CDERR_LOADRESFAILURE, "El cuadro de diálogo no pudo cargar un recurso."},
    {CDERR_LOCKRESFAILURE, "El cuadro de diálogo no pudo bloquear un recurso."},
    {CDERR_MEMALLOCFAILURE, "No hay memoria suficiente para el cuadro de diálogo."},
    {CDERR_MEMLOCKFAILURE, "El cuadro de diálogo no pudo bloquear la memoria."},
    {CDERR_NOHOOK, "Falta el procedimiento de enlace del cuadro de diálogo."},
    {CDERR_REGISTERMSGFAIL, "El cuadro de diálogo no pudo registrar un mensaje de ventana."},
    {CDERR_DIALOGFAILURE, "No se pudo crear el cuadro de diálogo."},
    {FNERR_SUBCLASSFAILURE, "No hay memoria suficiente para la lista de archivos."},
    {FNERR_INVALIDFILENAME, "El nombre de archivo no es válido."},
    {FNERR_BUFFERTOOSMALL, "El nombre del archivo elegido es demasiado largo."},
}};

const wchar_t* OrNull(const std::wstring& text) {
  return text.empty() ? nullptr : text.c_str();
}

}  // namespace

std::wstring DialogFilter(const std::string& filter) {
  std::wstring wide = ToWide(filter);
  for (wchar_t& c : wide)
    if (c == L'|') c = L'\0';
  if (!wide.empty() && wide.back() != L'\0') wide.push_back(L'\0');
  wide.push_back(L'\0');
  return wide;
}

std::string CommonDialogErrorText(DWORD code) {
  for (const DialogError& error : kDialogErrors)
    if (error.code == code) return error.text;
  return "El cuadro de diálogo falló (error " + std::to_string(code) + ").";
}

OpenDialogResult ShowOpenDialog(HWND owner, const OpenDialogSettings& settings) {
  const std::wstring filter =
      settings.filter.empty() ? std::wstring() : DialogFilter(settings.filter);
  const std::wstring initial_folder = ToWide(settings.initial_folder);
  const std::wstring title = ToWide(settings.title);
  const std::wstring seed = ToWide(settings.file_name);
  if (seed.size() >= kOpenDialogPathCapacity) throw InvalidArgumentError();
  std::vector<wchar_t> path(kOpenDialogPathCapacity, L'\0');
  seed.copy(path.data(), seed.size());

  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.empty() ? nullptr : filter.c_str();
  dialog.nFilterIndex = static_cast<DWORD>(settings.filter_index);
  dialog.lpstrFile = path.data();
  dialog.nMaxFile = static_cast<DWORD>(path.size());
  dialog.lpstrInitialDir = OrNull(initial_folder);
  dialog.lpstrTitle = OrNull(title);
  dialog.Flags = static_cast<DWORD>(settings.flags);

  OpenDialogResult result;
  if (GetOpenFileNameW(&dialog)) {
    result.outcome = OpenDialogResult::Outcome::kChosen;
    result.path = ToUtf8(path.data());
    return result;
  }
  const DWORD code = CommDlgExtendedError();
  if (code == 0) {
    result.outcome = OpenDialogResult::Outcome::kCancelled;
    if (settings.cancel_error) {
      const RunError cancelled = ProgramError(kErrDialogCancelled);
      result.error_number = cancelled.number();
      result.error_description = cancelled.description();
    }
    return result;
  }
  result.outcome = OpenDialogResult::Outcome::kFailed;
  result.error_number = static_cast<long>(code);
  result.error_description = CommonDialogErrorText(code);
  return result;
}

}  // namespace qeb::ui::win32
