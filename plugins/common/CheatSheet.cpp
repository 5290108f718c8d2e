#include "CheatSheet.h"

#include <algorithm>
#include <vector>

namespace {

std::vector<SheetSource*>& Sources() {
  static std::vector<SheetSource*> sources;
  return sources;
}

SheetListener* gListener = nullptr;

}  // namespace

void AddSheetSource(SheetSource* source) { Sources().push_back(source); }

void RemoveSheetSource(SheetSource* source) {
  std::vector<SheetSource*>& sources = Sources();
  sources.erase(std::remove(sources.begin(), sources.end(), source), sources.end());
}

SheetSource* const* SheetSources(size_t* count) {
  *count = Sources().size();
  return Sources().data();
}

void SetSheetListener(SheetListener* listener) { gListener = listener; }

void SheetChanged() {
  if (gListener != nullptr) gListener->SheetChanged();
}
