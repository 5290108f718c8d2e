#include "ShareBindings.h"

#include <commdlg.h>

#include <vector>

#include "BindingShare.h"
#include "Engine.h"
#include "Messages.h"

namespace {

bool ChooseFileBox(HWND owner, bool save, const wchar_t* types, int* choice, std::wstring* path) {
  std::vector<wchar_t> file(32768, L'\0');  // the longest path the W functions take
  OPENFILENAMEW box = {};
  box.lStructSize = sizeof box;
  box.hwndOwner = owner;
  box.lpstrFilter = types;
  box.nFilterIndex = static_cast<DWORD>(*choice);
  box.lpstrFile = file.data();
  box.nMaxFile = static_cast<DWORD>(file.size());
  box.lpstrDefExt = L"xml";
  // The working folder holds conf.xml and the log: the box must leave it as it is.
  box.Flags = OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | (save ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
  if (!(save ? GetSaveFileNameW(&box) : GetOpenFileNameW(&box))) return false;
  *choice = static_cast<int>(box.nFilterIndex);
  *path = file.data();
  return true;
}

}  // namespace

ChooseFileProc gChooseFile = ChooseFileBox;

void ExportFromWindow(HWND owner, TambrelEngine* engine) {
  int chosen = engine->SelectedAction();
  bool one = chosen != 0 && engine->Actions().count(chosen) != 0;
  const wchar_t* types = one ? L"The chosen binding (*.xml)\0*.xml\0All bindings (*.xml)\0*.xml\0"
                             : L"All bindings (*.xml)\0*.xml\0";
  int choice = 1;
  std::wstring path;
  if (!gChooseFile(owner, true, types, &choice, &path)) return;
  std::vector<int> ids;
  if (one && choice == 1) ids.push_back(chosen);
  ExportBindings(engine, ids, path);
}

bool ImportIntoWindow(HWND owner, TambrelEngine* engine) {
  int choice = 1, added = 0, skipped = 0;
  std::wstring path;
  if (!gChooseFile(owner, false, L"Bindings (*.xml)\0*.xml\0All files (*.*)\0*.*\0", &choice, &path)) return false;
  if (ImportBindings(engine, path, &added, &skipped) != ImportResult::kImported) return false;
  ReportInfoFormat("Imported: %d %s. Skipped, as they were there already: %d.", added,
                   added == 1 ? "binding" : "bindings", skipped);
  return true;
}
