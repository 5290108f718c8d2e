// Read access to a dialog template in a module's resources, in both layouts (DLGTEMPLATE
// and DLGTEMPLATEEX), and conversion of dialog units to pixels with the template's own font.
// Nothing is copied: the reader walks the locked resource, which the module owns.
#ifndef DIALOGKIT_DIALOGTEMPLATE_H
#define DIALOGKIT_DIALOGTEMPLATE_H

#include <windows.h>

#include "DialogItemTemplate.h"
#include "UniqueHandle.h"

class DialogTemplate {
 public:
  DialogTemplate() = default;
  // Loads the template at once (see Load).
  explicit DialogTemplate(UINT resourceId);
  // Items refer to their template.
  DialogTemplate(const DialogTemplate&) = delete;
  DialogTemplate& operator=(const DialogTemplate&) = delete;

  // Dialog resource resourceId of the resource instance (ResourceInstance.h). False when
  // the module has no such dialog.
  bool Load(UINT resourceId);
  bool IsLoaded() const { return m_pTmpl != nullptr; }
  bool IsExtended() const { return m_extended; }
  const BYTE* GetData() const { return m_pTmpl; }

  DWORD GetStyle() const;
  WORD GetItemCount() const;
  // Size in dialog units.
  short GetCx() const;
  short GetCy() const;
  // Each null when the field is empty, else an ordinal (IS_INTRESOURCE) or a UTF-16 string
  // inside the template.
  LPCWSTR GetMenu() const;
  LPCWSTR GetWindowClass() const;
  LPCWSTR GetTitle() const;

  // With DS_SETFONT: the template's font with lfHeight in points (weight and italic only
  // in the extended layout; the character set stays 0). Without it: false, record cleared.
  bool GetFont(LOGFONTW* font) const;
  // A font from such a record, its height turned from points into logical units of hdc
  // (the screen when null): 8 points at 96 dpi are -11.
  static UniqueFont CreatePointFont(const LOGFONTW& font, HDC hdc = nullptr);
  // The same at a DPI of a monitor rather than of a device context: what the dialog manager
  // makes for a dialog on that monitor.
  static UniqueFont CreateFontForDpi(const LOGFONTW& font, UINT dpi);

  // The template must have an item.
  DialogItemTemplate GetFirstItem() const;
  // The item with this id, or the invalid item.
  DialogItemTemplate FindItem(UINT id) const;

  // Converts in place with the template's font, or with the system's dialog base units
  // when the template names none; the units are measured once per DPI and kept. dpi 0 is
  // the screen's (the system DPI).
  bool DialogUnitsToPixels(RECT* rect, UINT dpi = 0) const;
  // Where the dialog manager puts an item at a DPI, in the dialog's client area: its place
  // and its size converted each on its own, as the dialog manager does.
  RECT ItemRect(const DialogItemTemplate& item, UINT dpi = 0) const;

 private:
  const WORD* MenuField() const;
  void MeasureBaseUnits(UINT dpi) const;

  bool m_extended = false;
  const BYTE* m_pTmpl = nullptr;
  mutable int m_baseWidth = 0;
  mutable int m_baseHeight = 0;
  mutable UINT m_baseDpi = 0;  // the DPI the base units were measured for; 0: the screen's
};

#endif
