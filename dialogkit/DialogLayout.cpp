#include "DialogLayout.h"

#include <stdlib.h>

#include "DebugAssert.h"

DeferredMoveCalls gDeferredMoves = {BeginDeferWindowPos, DeferWindowPos, EndDeferWindowPos};

namespace {

// Property names as global atoms, registered once per module that links the toolkit in.
struct LayoutAtoms {
  ATOM hdwp = GlobalAddAtomA("DialogLayout_HDWP");
  ATOM topLeft = GlobalAddAtomA("DialogLayout_TopLeft");
  ATOM bottomRight = GlobalAddAtomA("DialogLayout_BottomRight");
  ATOM dpi = GlobalAddAtomA("DialogLayout_Dpi");  // on a laid-out dialog: the DPI it is laid out for
};

const LayoutAtoms& Atoms() {
  static const LayoutAtoms atoms;
  return atoms;
}

// The atom of the system's "Button" class, to tell group boxes among a dialog's children.
ATOM ButtonAtom() {
  static const ATOM atom = [] {
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    return static_cast<ATOM>(GetClassInfoExA(nullptr, "Button", &info));
  }();
  return atom;
}

// Packs two coordinates as the pending-position properties hold them.
HANDLE PackPoint(LONG x, LONG y) {
  return reinterpret_cast<HANDLE>(
      static_cast<ULONG_PTR>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y))));
}

// Controls left of or above their container sit at negative coordinates: the halves are
// signed 16-bit values.
POINT UnpackPoint(HANDLE value) {
  DWORD packed = static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(value));
  return {static_cast<short>(LOWORD(packed)), static_cast<short>(HIWORD(packed))};
}

HANDLE CurrentPass(HWND layoutWindow) { return GetPropA(layoutWindow, MAKEINTATOM(Atoms().hdwp)); }

RECT ChildRect(HWND child, HWND parent) {
  RECT rect = {};
  GetWindowRect(child, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The thin adapter over DeferWindowPos. DeferWindowPos may hand back a different handle
// than it was given (the old one is then gone): every move goes to the handle the previous
// one returned. After a failure the batch no longer exists and further moves are dropped.
HDWP DeferMove(HDWP hdwp, HWND hwnd, int x, int y, int cx, int cy, UINT flags) {
  if (hdwp == nullptr) return nullptr;
  return gDeferredMoves.defer(hdwp, hwnd, nullptr, x, y, cx, cy, flags);
}

bool IsHorizontal(UINT direction) { return direction == LAYOUT_LEFT || direction == LAYOUT_RIGHT; }
bool IsDirection(UINT direction) {
  return direction == LAYOUT_LEFT || direction == LAYOUT_TOP || direction == LAYOUT_RIGHT ||
         direction == LAYOUT_BOTTOM;
}

// What a rescaled dialog sends every window inside it, with the new DPI in wParam: the
// dialogs among them (plugin pages, made by another module that links the toolkit in) follow.
// Windows itself tells child windows with WM_DPICHANGED_AFTERPARENT, which carries no DPI,
// and only of the changes it makes.
UINT DpiChangedMessage() {
  static const UINT message = RegisterWindowMessageA("DialogLayout_DpiChanged");
  return message;
}

BOOL CALLBACK TellDpiChanged(HWND window, LPARAM dpi) {
  SendMessageA(window, DpiChangedMessage(), static_cast<WPARAM>(dpi), 0);
  return TRUE;
}

// The DPI that the top-level dialog around a child dialog is laid out for; 0 when it has
// no layout.
UINT RootDpi(HWND window) {
  HWND root = GetAncestor(window, GA_ROOT);
  if (root == nullptr || root == window) return 0;
  return static_cast<UINT>(reinterpret_cast<UINT_PTR>(GetPropA(root, MAKEINTATOM(Atoms().dpi))));
}

// Dialog units to pixels with the layout window's own mapping.
RECT MapUnits(HWND layoutWindow, int units) {
  RECT rect = {0, 0, units, units};
  MapDialogRect(layoutWindow, &rect);
  return rect;
}

}  // namespace

RECT AnchorRect(const RECT& current, const RECT& container, const RECT& margins, UINT anchors) {
  RECT r = current;
  const LONG width = current.right - current.left;
  const LONG height = current.bottom - current.top;
  if (anchors & LAYOUT_LEFT) {
    r.left = container.left + margins.left;
    if (!(anchors & LAYOUT_RIGHT)) r.right = r.left + width;
  }
  if (anchors & LAYOUT_TOP) {
    r.top = container.top + margins.top;
    if (!(anchors & LAYOUT_BOTTOM)) r.bottom = r.top + height;
  }
  if (anchors & LAYOUT_RIGHT) {
    r.right = container.right - margins.right;
    if (!(anchors & LAYOUT_LEFT)) r.left = r.right - width;
  }
  if (anchors & LAYOUT_BOTTOM) {
    r.bottom = container.bottom - margins.bottom;
    if (!(anchors & LAYOUT_TOP)) r.top = r.bottom - height;
  }
  return r;
}

RECT GetPendingRect(HWND control, HANDLE pass) {
  DK_ASSERT_TEXT(::IsWindow(control), "wndControl.IsWindow()");
  const LayoutAtoms& atoms = Atoms();
  if (pass != nullptr && GetPropA(control, MAKEINTATOM(atoms.hdwp)) == pass) {
    POINT topLeft = UnpackPoint(GetPropA(control, MAKEINTATOM(atoms.topLeft)));
    POINT bottomRight = UnpackPoint(GetPropA(control, MAKEINTATOM(atoms.bottomRight)));
    return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
  }
  return ChildRect(control, GetParent(control));
}

// --- rules --------------------------------------------------------------------------------

int OffsetRule::Compute(HWND layoutWindow, UINT direction, const RECT& parent) const {
  DK_ASSERT(::IsWindow(layoutWindow));
  if (!IsDirection(direction)) return 0;
  RECT units = MapUnits(layoutWindow, abs(m_offset));
  bool horizontal = IsHorizontal(direction);
  int distance = horizontal ? units.right : units.bottom;
  if (m_offset >= 0) return (horizontal ? parent.left : parent.top) + distance;
  return (horizontal ? parent.right : parent.bottom) - distance;
}

int OffsetRule::ComputeTemplate(const DialogTemplate&, UINT direction, const RECT& parent) const {
  if (!IsDirection(direction)) return 0;
  bool horizontal = IsHorizontal(direction);
  if (m_offset >= 0) return (horizontal ? parent.left : parent.top) + m_offset;
  return (horizontal ? parent.right : parent.bottom) - abs(m_offset);
}

static int Ratio(double factor, UINT direction, const RECT& parent) {
  if (!IsDirection(direction)) return 0;
  if (IsHorizontal(direction)) {
    return parent.left + static_cast<int>((parent.right - parent.left) * factor);
  }
  return parent.top + static_cast<int>((parent.bottom - parent.top) * factor);
}

int RatioRule::Compute(HWND, UINT direction, const RECT& parent) const {
  return Ratio(m_factor, direction, parent);
}

int RatioRule::ComputeTemplate(const DialogTemplate&, UINT direction, const RECT& parent) const {
  return Ratio(m_factor, direction, parent);
}

// The direction must lie on the axis of the edge it is taken from.
static bool EdgeMatchesDirection(UINT edge, UINT direction) {
  if (IsHorizontal(edge)) {
    DK_ASSERT_TEXT(direction == LAYOUT_LEFT || direction == LAYOUT_RIGHT,
                   "nDirection == 0x0001 || nDirection == 0x0004");
    return IsHorizontal(direction);
  }
  DK_ASSERT_TEXT(direction == LAYOUT_TOP || direction == LAYOUT_BOTTOM,
                 "nDirection == 0x0002 || nDirection == 0x0008");
  return direction == LAYOUT_TOP || direction == LAYOUT_BOTTOM;
}

int ControlEdgeRule::Compute(HWND layoutWindow, UINT direction, const RECT&) const {
  DK_ASSERT(::IsWindow(layoutWindow));
  if (!IsDirection(m_edge) || !EdgeMatchesDirection(m_edge, direction)) return 0;
  HWND control = GetDlgItem(layoutWindow, m_controlId);
  DK_ASSERT_TEXT(::IsWindow(control), "::IsWindow(wndCtrl)");
  if (control == nullptr) return 0;
  RECT r = GetPendingRect(control, CurrentPass(layoutWindow));
  RECT units = MapUnits(layoutWindow, m_offset);
  switch (m_edge) {
    case LAYOUT_LEFT: return r.left - units.right;
    case LAYOUT_TOP: return r.top - units.bottom;
    case LAYOUT_RIGHT: return r.right + units.right;
    default: return r.bottom + units.bottom;
  }
}

int ControlEdgeRule::ComputeTemplate(const DialogTemplate& tmpl, UINT direction,
                                     const RECT&) const {
  if (!IsDirection(m_edge) || !EdgeMatchesDirection(m_edge, direction)) return 0;
  DialogItemTemplate item = tmpl.FindItem(m_controlId);
  DK_ASSERT(item.IsValid());
  if (!item.IsValid()) return 0;
  switch (m_edge) {
    case LAYOUT_LEFT: return item.GetX() - m_offset;
    case LAYOUT_TOP: return item.GetY() - m_offset;
    case LAYOUT_RIGHT: return item.GetX() + item.GetCx() + m_offset;
    default: return item.GetY() + item.GetCy() + m_offset;
  }
}

// --- containers and controls --------------------------------------------------------------

LayoutContainer::LayoutContainer(const DialogTemplate& tmpl, const LayoutContainer* parent,
                                 std::unique_ptr<LayoutRule> left, std::unique_ptr<LayoutRule> top,
                                 std::unique_ptr<LayoutRule> right,
                                 std::unique_ptr<LayoutRule> bottom)
    : m_template(tmpl), m_templateRect(), m_rect() {
  if (parent == nullptr) {
    m_templateRect = {0, 0, tmpl.GetCx(), tmpl.GetCy()};
    return;
  }
  DK_ASSERT_TEXT(left != nullptr, "pLeftRule != 0");
  if (left == nullptr) {  // nothing to bound it with: the parent's area
    m_templateRect = parent->GetTemplateRect();
    return;
  }
  m_Rules.push_back(std::move(left));
  if (top != nullptr) {
    DK_ASSERT_TEXT(right != nullptr, "pRightRule != 0");
    DK_ASSERT_TEXT(bottom != nullptr, "pBottomRule != 0");
    if (right != nullptr && bottom != nullptr) {
      m_Rules.push_back(std::move(top));
      m_Rules.push_back(std::move(right));
      m_Rules.push_back(std::move(bottom));
    }
  }
  const RECT& outer = parent->GetTemplateRect();
  m_templateRect.bottom = Rule(3).ComputeTemplate(tmpl, LAYOUT_BOTTOM, outer);
  m_templateRect.right = Rule(2).ComputeTemplate(tmpl, LAYOUT_RIGHT, outer);
  m_templateRect.top = Rule(1).ComputeTemplate(tmpl, LAYOUT_TOP, outer);
  m_templateRect.left = Rule(0).ComputeTemplate(tmpl, LAYOUT_LEFT, outer);
}

const LayoutRule& LayoutContainer::Rule(size_t edgeIndex) const {
  return *m_Rules[m_Rules.size() == 1 ? 0 : edgeIndex];
}

HDWP LayoutContainer::Apply(HWND layoutWindow, HDWP hdwp, const RECT& parent) {
  if (m_Rules.empty()) {
    m_rect = parent;
  } else {
    DK_ASSERT(m_Rules.size() == 1 || m_Rules.size() == 4);
    m_rect.bottom = Rule(3).Compute(layoutWindow, LAYOUT_BOTTOM, parent);
    m_rect.right = Rule(2).Compute(layoutWindow, LAYOUT_RIGHT, parent);
    m_rect.top = Rule(1).Compute(layoutWindow, LAYOUT_TOP, parent);
    m_rect.left = Rule(0).Compute(layoutWindow, LAYOUT_LEFT, parent);
  }
  for (const std::unique_ptr<LayoutItem>& item : m_items) {
    hdwp = item->Apply(layoutWindow, hdwp, m_rect);
  }
  return hdwp;
}

void LayoutContainer::AddItem(std::unique_ptr<LayoutItem> item) {
  m_items.push_back(std::move(item));
}

LayoutControl::LayoutControl(const DialogTemplate& tmpl, const LayoutContainer& container,
                             UINT controlId, UINT anchors, UINT dpi)
    : m_controlId(controlId), m_anchors(anchors), m_margins() {
  DialogItemTemplate item = tmpl.FindItem(controlId);
  DK_ASSERT(item.IsValid());
  if (!item.IsValid()) {  // not in the template: left where the dialog put it
    m_anchors = 0;
    return;
  }
  const RECT& c = container.GetTemplateRect();
  m_margins = {item.GetX() - c.left, item.GetY() - c.top, c.right - item.GetX() - item.GetCx(),
               c.bottom - item.GetY() - item.GetCy()};
  tmpl.DialogUnitsToPixels(&m_margins, dpi);
}

HDWP LayoutControl::Apply(HWND layoutWindow, HDWP hdwp, const RECT& container) {
  DK_ASSERT(::IsWindow(layoutWindow));
  HWND control = GetDlgItem(layoutWindow, m_controlId);
  DK_ASSERT_TEXT(::IsWindow(control), "::IsWindow(wndCtrl)");
  if (control == nullptr) return hdwp;
  RECT r = AnchorRect(ChildRect(control, layoutWindow), container, m_margins, m_anchors);
  // Rules of later items read where this control goes before the batch is applied. The
  // pass is known by the handle that opened it: the handle itself may change as moves are
  // added.
  const LayoutAtoms& atoms = Atoms();
  SetPropA(control, MAKEINTATOM(atoms.hdwp), CurrentPass(layoutWindow));
  SetPropA(control, MAKEINTATOM(atoms.topLeft), PackPoint(r.left, r.top));
  SetPropA(control, MAKEINTATOM(atoms.bottomRight), PackPoint(r.right, r.bottom));
  return DeferMove(hdwp, control, r.left, r.top, r.right - r.left, r.bottom - r.top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
}

// --- the map ------------------------------------------------------------------------------

LayoutMap::LayoutMap(const DialogTemplate& tmpl, LayoutContainer* root, UINT dpi)
    : m_template(tmpl), m_dpi(dpi) {
  m_containers.push_back(root);
}

void LayoutMap::Control(UINT controlId, UINT anchors) {
  LayoutContainer* pContainer = m_containers.empty() ? nullptr : m_containers.back();
  DK_ASSERT(pContainer != 0);
  if (pContainer == nullptr) return;
  pContainer->AddItem(
      std::unique_ptr<LayoutItem>(new LayoutControl(m_template, *pContainer, controlId, anchors, m_dpi)));
}

void LayoutMap::BeginContainer(std::unique_ptr<LayoutRule> left, std::unique_ptr<LayoutRule> top,
                               std::unique_ptr<LayoutRule> right,
                               std::unique_ptr<LayoutRule> bottom) {
  LayoutContainer* pContainer = m_containers.empty() ? nullptr : m_containers.back();
  DK_ASSERT(pContainer != 0);
  if (pContainer == nullptr) return;
  LayoutContainer* nested = new LayoutContainer(
      m_template, pContainer, std::move(left), std::move(top), std::move(right), std::move(bottom));
  pContainer->AddItem(std::unique_ptr<LayoutItem>(nested));
  m_containers.push_back(nested);
}

void LayoutMap::EndContainer() {
  // The root stays open until the map ends.
  DK_ASSERT_TEXT(m_containers.size() > 1, "pContainer != 0");
  if (m_containers.size() > 1) m_containers.pop_back();
}

void LayoutMap::Finish() {
  if (!m_containers.empty()) m_containers.erase(m_containers.begin());
  DK_ASSERT_TEXT(m_containers.empty(), "containers.IsEmpty()");
}

// --- the dialog's layout ------------------------------------------------------------------

DialogLayout::DialogLayout(UINT templateId, const LayoutMapEntry* entries, size_t count)
    : m_template(templateId), m_entries(entries), m_entryCount(count) {
  Atoms();
  ButtonAtom();
}

DialogLayout::DialogLayout(UINT templateId, LayoutMapFunction map)
    : m_template(templateId), m_mapFunction(map) {
  Atoms();
  ButtonAtom();
}

bool DialogLayout::OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: Initialize(hwnd); break;
    case WM_SIZE: {
      // Minimised too: that pass gets an empty rectangle, and the restore recomputes every
      // anchored edge from the margins.
      RECT rect = {0, 0, LOWORD(lParam), HIWORD(lParam)};
      UpdateLayout(m_root.get(), rect);
      break;
    }
    case WM_DPICHANGED:
      if (Rescale(DpiOfChange(wParam))) MoveToSuggestedRect(hwnd, lParam);
      break;
    case kDpiChangedAfterParent: Rescale(WindowDpi(hwnd)); break;
    case WM_DESTROY: Release(); break;
    default:
      if (message == DpiChangedMessage()) Rescale(static_cast<UINT>(wParam));
  }
  return false;
}

void DialogLayout::Initialize(HWND hwnd) {
  DK_ASSERT_TEXT(::IsWindow(hwnd), "::IsWindow(pT->m_hWnd)");
  // A dialog object may outlive its window and create another one (plugin pages do).
  m_hWnd = hwnd;
  m_wndGripper = nullptr;
  m_font.Reset();
  m_controlsFont = reinterpret_cast<HFONT>(SendMessageA(hwnd, WM_GETFONT, 0, 0));
  // The dialog manager made the dialog for its monitor's DPI; from here on its DPI changes
  // are ours to follow.
  m_dpi = WindowDpi(hwnd);
  TakeOverDpiChanges(hwnd);
  SetPropA(hwnd, MAKEINTATOM(Atoms().dpi), reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(m_dpi)));
  BuildRoot();

  if (m_gripper) {
    DK_ASSERT_TEXT(!::IsWindow(GetDlgItem(hwnd, kSizeGripId)),
                   "!::IsWindow( pT->GetDlgItem(0xE801) )");
    // SBS_SIZEBOXBOTTOMRIGHTALIGN puts a grip of the system's size into the bottom-right
    // corner of the rectangle given.
    RECT client;
    GetClientRect(hwnd, &client);
    HINSTANCE instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
    m_wndGripper = CreateWindowExA(
        0, "SCROLLBAR", nullptr,
        WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | SBS_SIZEGRIP | SBS_SIZEBOXBOTTOMRIGHTALIGN,
        client.left, client.top, client.right - client.left, client.bottom - client.top, hwnd,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kSizeGripId)), instance, nullptr);
    RECT grip = {};
    GetWindowRect(m_wndGripper, &grip);
    m_gripSize = {grip.right - grip.left, grip.bottom - grip.top};
    m_gripDpi = m_dpi;
  }

  // The dialog's own WM_INITDIALOG handler may have resized the window before the root
  // existed; lay out for the size it has now rather than wait for the next WM_SIZE.
  RECT client;
  GetClientRect(hwnd, &client);
  UpdateLayout(m_root.get(), client);

  // A page made inside a dialog that has moved to another DPI since Windows last told us
  // follows it (the same under Windows, which gives both the monitor's).
  UINT root = RootDpi(hwnd);
  if (root != 0) Rescale(root);
}

// The containers and controls of the map, their margins in pixels at the dialog's DPI.
void DialogLayout::BuildRoot() {
  m_root.reset(new LayoutContainer(m_template, nullptr));
  LayoutMap map(m_template, m_root.get(), m_dpi);
  if (m_mapFunction != nullptr) m_mapFunction(map);
  for (size_t i = 0; i < m_entryCount; ++i) {
    map.Control(m_entries[i].controlId, m_entries[i].anchors);
  }
  map.Finish();
}

// The template's item that a control was made from: of the items of its id not taken yet,
// the one whose place at dpi the control still has, or else the only one. Null for a control
// that the template does not hold, or does not tell apart (labels share the id -1). The item
// found is taken.
static const BYTE* TakeItemOf(HWND control, const DialogTemplate& tmpl, UINT dpi, std::vector<const BYTE*>& items) {
  RECT place = ChildRect(control, GetParent(control));
  WORD id = static_cast<WORD>(GetDlgCtrlID(control));
  const BYTE** only = nullptr;
  int matches = 0;
  for (const BYTE*& data : items) {
    if (data == nullptr) continue;
    DialogItemTemplate item(tmpl, data);
    if (static_cast<WORD>(item.GetId()) != id) continue;
    RECT at = tmpl.ItemRect(item, dpi);
    if (EqualRect(&at, &place)) {
      const BYTE* found = data;
      data = nullptr;
      return found;
    }
    ++matches;
    only = &data;
  }
  if (matches != 1) return nullptr;
  const BYTE* found = *only;
  *only = nullptr;
  return found;
}

bool DialogLayout::Rescale(UINT dpi) {
  if (m_hWnd == nullptr || dpi == 0 || dpi == m_dpi) return false;
  const UINT from = m_dpi;
  UniqueFont font;
  LOGFONTW description;
  if (m_template.GetFont(&description)) font = DialogTemplate::CreateFontForDpi(description, dpi);
  std::vector<const BYTE*> items;
  const int count = m_template.GetItemCount();
  if (count > 0) {
    DialogItemTemplate item = m_template.GetFirstItem();
    for (int i = 0; i < count; ++i) {
      items.push_back(item.GetData());
      if (i < count - 1) item = item.GetNext();  // never past the last item
    }
  }
  // Every control of the template goes where the dialog manager would have made it at the
  // new DPI, the pass below moves the anchored ones as the dialog's size wants, and the
  // dialog places what it places itself. Others (the grip) are scaled where they are.
  // Controls with a font of their own keep it: their dialog knows it and makes it anew.
  auto scale = [&](LONG value) { return MulDiv(value, static_cast<int>(dpi), static_cast<int>(from)); };
  int children = 0;
  for (HWND child = GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) ++children;
  HDWP hdwp = gDeferredMoves.begin(children > 0 ? children : 1);
  for (HWND child = GetWindow(m_hWnd, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (font && m_controlsFont != nullptr &&
        reinterpret_cast<HFONT>(SendMessageA(child, WM_GETFONT, 0, 0)) == m_controlsFont)
      SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font.Get()), FALSE);
    RECT r;
    if (const BYTE* item = TakeItemOf(child, m_template, from, items)) {
      r = m_template.ItemRect(DialogItemTemplate(m_template, item), dpi);
    } else if (child == m_wndGripper) {
      // Scaled from the size the system gave it, so that a move back gives that size again.
      r = {0, 0, MulDiv(m_gripSize.cx, dpi, m_gripDpi), MulDiv(m_gripSize.cy, dpi, m_gripDpi)};
    } else {
      RECT now = ChildRect(child, m_hWnd);
      r = {scale(now.left), scale(now.top), scale(now.right), scale(now.bottom)};
    }
    hdwp = DeferMove(hdwp, child, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (hdwp != nullptr) gDeferredMoves.end(hdwp);
  // The old font goes only now that no control shows it.
  if (font) {
    m_controlsFont = font.Get();
    m_font = std::move(font);
  }
  m_dpi = dpi;
  SetPropA(m_hWnd, MAKEINTATOM(Atoms().dpi), reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(m_dpi)));
  BuildRoot();
  RECT client;
  GetClientRect(m_hWnd, &client);
  UpdateLayout(m_root.get(), client);
  EnumChildWindows(m_hWnd, TellDpiChanged, static_cast<LPARAM>(dpi));
  RedrawWindow(m_hWnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
  return true;
}

void DialogLayout::Release() {
  // Entries of a window's property list are removed before the window is destroyed; the
  // children still exist while their parent handles WM_DESTROY.
  if (m_hWnd != nullptr) {
    const LayoutAtoms& atoms = Atoms();
    RemovePropA(m_hWnd, MAKEINTATOM(atoms.hdwp));
    RemovePropA(m_hWnd, MAKEINTATOM(atoms.dpi));
    for (HWND child = GetWindow(m_hWnd, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
      RemovePropA(child, MAKEINTATOM(atoms.hdwp));
      RemovePropA(child, MAKEINTATOM(atoms.topLeft));
      RemovePropA(child, MAKEINTATOM(atoms.bottomRight));
    }
  }
  m_root.reset();
  m_hWnd = nullptr;
  m_wndGripper = nullptr;
  // The controls go with the window after WM_DESTROY: the font they show stays until then.
  // A dialog object that makes a new window keeps the old font only until that one starts.
  m_controlsFont = nullptr;
}

void DialogLayout::UpdateLayout(LayoutContainer* container, const RECT& rect) {
  if (container == nullptr || m_hWnd == nullptr) return;  // before WM_INITDIALOG
  HDWP pass = gDeferredMoves.begin(static_cast<int>(container->GetItemCount()));
  SetPropA(m_hWnd, MAKEINTATOM(Atoms().hdwp), pass);
  HDWP hdwp = container->Apply(m_hWnd, pass, rect);
  if (m_gripper) {
    DK_ASSERT(::IsWindow(m_wndGripper));
    if (m_wndGripper != nullptr) {
      RECT grip;
      GetWindowRect(m_wndGripper, &grip);
      hdwp = DeferMove(hdwp, m_wndGripper, rect.right - (grip.right - grip.left),
                       rect.bottom - (grip.bottom - grip.top), 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
  }
  if (hdwp != nullptr) gDeferredMoves.end(hdwp);

  // Group boxes do not repaint their frames after their neighbours move: a frame change
  // makes them. Raising them to the top of the z-order comes with it. Collected first, as
  // the raising reorders the children being walked.
  std::vector<HWND> groupBoxes;
  for (HWND child = GetWindow(m_hWnd, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    if (GetClassWord(child, GCW_ATOM) == ButtonAtom() &&
        (GetWindowLongA(child, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX) {
      groupBoxes.push_back(child);
    }
  }
  for (HWND box : groupBoxes) {
    SetWindowPos(box, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_FRAMECHANGED);
  }
}
