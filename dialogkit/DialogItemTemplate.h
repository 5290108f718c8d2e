// A view of one control entry inside a dialog template, classic (DLGITEMTEMPLATE) or
// extended (DLGITEMTEMPLATEEX). Copied freely; it points into the template's resource data.
#ifndef DIALOGKIT_DIALOGITEMTEMPLATE_H
#define DIALOGKIT_DIALOGITEMTEMPLATE_H

#include <windows.h>

class DialogTemplate;

class DialogItemTemplate {
 public:
  // The invalid item of a template (a search that found nothing).
  explicit DialogItemTemplate(const DialogTemplate& parent);
  DialogItemTemplate(const DialogTemplate& parent, const BYTE* item);
  DialogItemTemplate(const DialogItemTemplate&) = default;
  // Only between items of one template.
  DialogItemTemplate& operator=(const DialogItemTemplate& item);

  bool IsValid() const { return m_pItem != nullptr; }
  // The item's first byte in the template; null for the invalid item.
  const BYTE* GetData() const { return m_pItem; }

  // Dialog units.
  short GetX() const;
  short GetY() const;
  short GetCx() const;
  short GetCy() const;
  // 16 bits in a classic template, 32 in an extended one.
  UINT GetId() const;
  // An ordinal (IS_INTRESOURCE) or a UTF-16 string inside the template.
  LPCWSTR GetWindowClass() const;
  // An ordinal or a UTF-16 string, possibly empty; never null for a valid item.
  LPCWSTR GetTitle() const;
  // The item that follows; past the last item this points beyond the template.
  DialogItemTemplate GetNext() const;

 private:
  const BYTE* ClassField() const;

  const DialogTemplate& m_rParent;
  bool m_extended;
  const BYTE* m_pItem;
};

#endif
