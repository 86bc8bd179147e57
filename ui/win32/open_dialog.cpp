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
    {CDERR_STRUCTSIZE, "The dialog structure size is invalid."},
    {CDERR_INITIALIZATION, "The dialog box failed during initialization."},
    {CDERR_NOTEMPLATE, "The dialog box template is missing."},
    {CDERR_NOHINSTANCE, "The dialog box instance handle is missing."},
    {CDERR_LOADSTRFAILURE, "The dialog box failed to load a string."},
    {CDERR_FINDRESFAILURE, "The dialog box failed to find a resource."},
    {CDERR_LOADRESFAILURE, "The dialog box failed to load a resource."},
    {CDERR_LOCKRESFAILURE, "The dialog box failed to lock a resource."},
    {CDERR_MEMALLOCFAILURE, "Not enough memory for the dialog box."},
    {CDERR_MEMLOCKFAILURE, "The dialog box failed to lock memory."},
    {CDERR_NOHOOK, "The dialog box hook procedure is missing."},
    {CDERR_REGISTERMSGFAIL, "The dialog box failed to register a window message."},
    {CDERR_DIALOGFAILURE, "The dialog box could not be created."},
    {FNERR_SUBCLASSFAILURE, "Not enough memory to subclass the file list."},
    {FNERR_INVALIDFILENAME, "The file name is not valid."},
    {FNERR_BUFFERTOOSMALL, "The chosen file name is too long."},
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
  return "The dialog box failed (error " + std::to_string(code) + ").";
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
