#include "DialogItemTemplate.h"

#include "DebugAssert.h"
#include "DialogTemplate.h"
#include "TemplateFields.h"

using namespace templatefields;

// Byte offsets inside DLGITEMTEMPLATE and DLGITEMTEMPLATEEX.
namespace {
const int kClassicX = 8, kClassicId = 16, kClassicClass = 18;
const int kExtendedX = 12, kExtendedId = 20, kExtendedClass = 24;
}  // namespace

DialogItemTemplate::DialogItemTemplate(const DialogTemplate& parent)
    : m_rParent(parent), m_extended(parent.IsExtended()), m_pItem(nullptr) {}

DialogItemTemplate::DialogItemTemplate(const DialogTemplate& parent, const BYTE* item)
    : m_rParent(parent), m_extended(parent.IsExtended()), m_pItem(item) {}

DialogItemTemplate& DialogItemTemplate::operator=(const DialogItemTemplate& item) {
  DK_ASSERT(&m_rParent == &item.m_rParent);
  m_extended = item.m_extended;
  m_pItem = item.m_pItem;
  return *this;
}

// The four coordinates are consecutive 16-bit values in both layouts.
static short Coordinate(const BYTE* item, bool extended, int index) {
  DK_ASSERT_TEXT(item != nullptr, "m_pItem != 0");
  if (item == nullptr) return 0;
  return Short(item, (extended ? kExtendedX : kClassicX) + 2 * index);
}

short DialogItemTemplate::GetX() const { return Coordinate(m_pItem, m_extended, 0); }
short DialogItemTemplate::GetY() const { return Coordinate(m_pItem, m_extended, 1); }
short DialogItemTemplate::GetCx() const { return Coordinate(m_pItem, m_extended, 2); }
short DialogItemTemplate::GetCy() const { return Coordinate(m_pItem, m_extended, 3); }

UINT DialogItemTemplate::GetId() const {
  DK_ASSERT(m_pItem != 0);
  if (m_pItem == nullptr) return 0;
  return m_extended ? Dword(m_pItem, kExtendedId) : Word(m_pItem, kClassicId);
}

const BYTE* DialogItemTemplate::ClassField() const {
  return m_pItem + (m_extended ? kExtendedClass : kClassicClass);
}

LPCWSTR DialogItemTemplate::GetWindowClass() const {
  DK_ASSERT(m_pItem != 0);
  if (m_pItem == nullptr) return nullptr;
  return ReadName(reinterpret_cast<const WORD*>(ClassField()), false);
}

LPCWSTR DialogItemTemplate::GetTitle() const {
  DK_ASSERT(m_pItem != 0);
  if (m_pItem == nullptr) return nullptr;
  return ReadName(SkipName(reinterpret_cast<const WORD*>(ClassField())), false);
}

DialogItemTemplate DialogItemTemplate::GetNext() const {
  DK_ASSERT(m_pItem != 0);
  if (m_pItem == nullptr) return *this;
  const WORD* pw = SkipName(SkipName(reinterpret_cast<const WORD*>(ClassField())));
  // Creation data: a size word, then the data. DLGITEMTEMPLATEEX counts the data alone;
  // DLGITEMTEMPLATE counts the size word too. A classic count below 2 is taken as none
  // rather than stepping backwards.
  WORD size = *pw++;
  if (!m_extended) size = size >= 2 ? size - 2 : 0;
  const BYTE* end = reinterpret_cast<const BYTE*>(pw) + size;
  return DialogItemTemplate(m_rParent, AlignDword(end));
}
