// Resizable dialogs: controls anchored to the edges of their container keep the distances
// that the dialog template gives them, converted with the template's own font. Every size
// change moves all laid-out controls in one deferred batch.
//
// A dialog mixes the layout in by holding a DialogLayout for its template, with a layout
// map, and by passing every message to DialogLayout::OnMessage after its own handling (see
// Dialog.h). The layout sees WM_INITDIALOG, WM_SIZE, WM_DESTROY and the DPI changes and never
// marks a message handled, so the dialog's own handlers and the default processing still run:
//
//   static const LayoutMapEntry kLayout[] = {{IDC_LIST, LAYOUT_LEFT | LAYOUT_TOP |
//                                             LAYOUT_RIGHT | LAYOUT_BOTTOM}, ...};
//   MainDlg::MainDlg() : m_layout(IDD_MAIN, kLayout) {}
//   bool MainDlg::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
//     switch (message) { ... }
//     return m_layout.OnMessage(Window(), message, wParam, lParam);
//   }
#ifndef DIALOGKIT_DIALOGLAYOUT_H
#define DIALOGKIT_DIALOGLAYOUT_H

#include <windows.h>

#include <stddef.h>

#include <memory>
#include <vector>

#include "DialogTemplate.h"
#include "Dpi.h"
#include "UniqueHandle.h"

// Anchors of a control, and directions of a rule (exactly one value then).
enum : UINT {
  LAYOUT_LEFT = 0x0001,
  LAYOUT_TOP = 0x0002,
  LAYOUT_RIGHT = 0x0004,
  LAYOUT_BOTTOM = 0x0008,
};

// The id of the size grip that the layout adds to a dialog.
const UINT kSizeGripId = 0xE801;

// The anchor arithmetic of one control: current is its rectangle now, container the
// container's, margins the template distances (left and top inward from the container's
// left and top, right and bottom inward from its right and bottom). An anchored edge keeps
// its margin; an edge anchored alone on its axis keeps the control's size; an axis without
// anchors keeps the control as it is.
RECT AnchorRect(const RECT& current, const RECT& container, const RECT& margins, UINT anchors);

// Where a control lies in its parent's client area: where the pass `pass` has put it if it
// has (the batch is not applied yet), else where its window is.
RECT GetPendingRect(HWND control, HANDLE pass);

class LayoutItem {
 public:
  virtual ~LayoutItem() = default;
  // Adds this item's moves to the batch and returns the batch handle to use next.
  virtual HDWP Apply(HWND layoutWindow, HDWP hdwp, const RECT& container) = 0;
};

// Computes one edge of a nested container.
class LayoutRule {
 public:
  virtual ~LayoutRule() = default;
  // Pixels, from the parent container's pixel rectangle.
  virtual int Compute(HWND layoutWindow, UINT direction, const RECT& parent) const = 0;
  // Dialog units, from the parent container's template rectangle.
  virtual int ComputeTemplate(const DialogTemplate& tmpl, UINT direction,
                              const RECT& parent) const = 0;
};

// An offset in dialog units from the parent's near edge (left, top), or, when negative,
// from its far edge (right, bottom).
class OffsetRule : public LayoutRule {
 public:
  explicit OffsetRule(int offset) : m_offset(offset) {}
  int Compute(HWND layoutWindow, UINT direction, const RECT& parent) const override;
  int ComputeTemplate(const DialogTemplate& tmpl, UINT direction,
                      const RECT& parent) const override;

 private:
  int m_offset;
};

// A fraction of the parent's width or height from its near edge.
class RatioRule : public LayoutRule {
 public:
  explicit RatioRule(double factor) : m_factor(factor) {}
  int Compute(HWND layoutWindow, UINT direction, const RECT& parent) const override;
  int ComputeTemplate(const DialogTemplate& tmpl, UINT direction,
                      const RECT& parent) const override;

 private:
  double m_factor;
};

// An edge of another control, moved outward by offset dialog units. The direction asked
// for must lie on the axis of that edge.
class ControlEdgeRule : public LayoutRule {
 public:
  ControlEdgeRule(UINT controlId, UINT edge, int offset = 0)
      : m_controlId(controlId), m_edge(edge), m_offset(offset) {}
  int Compute(HWND layoutWindow, UINT direction, const RECT& parent) const override;
  int ComputeTemplate(const DialogTemplate& tmpl, UINT direction,
                      const RECT& parent) const override;

 private:
  UINT m_controlId;
  UINT m_edge;
  int m_offset;
};

// The root area of a dialog, or a nested area bounded by rules: none (the root), one for
// all four edges, or four (left, top, right, bottom).
class LayoutContainer : public LayoutItem {
 public:
  LayoutContainer(const DialogTemplate& tmpl, const LayoutContainer* parent,
                  std::unique_ptr<LayoutRule> left = nullptr,
                  std::unique_ptr<LayoutRule> top = nullptr,
                  std::unique_ptr<LayoutRule> right = nullptr,
                  std::unique_ptr<LayoutRule> bottom = nullptr);
  HDWP Apply(HWND layoutWindow, HDWP hdwp, const RECT& parent) override;
  virtual void AddItem(std::unique_ptr<LayoutItem> item);

  size_t GetItemCount() const { return m_items.size(); }
  // Dialog units, fixed at construction.
  const RECT& GetTemplateRect() const { return m_templateRect; }
  // Pixels, as of the last pass.
  const RECT& GetRect() const { return m_rect; }

 private:
  const LayoutRule& Rule(size_t edgeIndex) const;

  const DialogTemplate& m_template;
  RECT m_templateRect;
  RECT m_rect;
  std::vector<std::unique_ptr<LayoutRule>> m_Rules;
  std::vector<std::unique_ptr<LayoutItem>> m_items;
};

// One control of the layout map; its margins come from the template at construction.
class LayoutControl : public LayoutItem {
 public:
  // dpi: the DPI of the dialog's monitor, which the margins are converted for (0: the
  // screen's).
  LayoutControl(const DialogTemplate& tmpl, const LayoutContainer& container, UINT controlId,
                UINT anchors, UINT dpi = 0);
  HDWP Apply(HWND layoutWindow, HDWP hdwp, const RECT& container) override;

  UINT GetControlId() const { return m_controlId; }
  UINT GetAnchors() const { return m_anchors; }
  // Pixels.
  const RECT& GetMargins() const { return m_margins; }

 private:
  UINT m_controlId;
  UINT m_anchors;
  RECT m_margins;
};

// Builds a dialog's layout at WM_INITDIALOG: entries go into the innermost open container,
// starting with the root.
class LayoutMap {
 public:
  void Control(UINT controlId, UINT anchors);
  // A nested area; entries up to the matching EndContainer go into it.
  void BeginContainer(std::unique_ptr<LayoutRule> left, std::unique_ptr<LayoutRule> top = nullptr,
                      std::unique_ptr<LayoutRule> right = nullptr,
                      std::unique_ptr<LayoutRule> bottom = nullptr);
  void EndContainer();

 private:
  friend class DialogLayout;
  LayoutMap(const DialogTemplate& tmpl, LayoutContainer* root, UINT dpi);
  void Finish();

  const DialogTemplate& m_template;
  UINT m_dpi;
  std::vector<LayoutContainer*> m_containers;
};

// The common map: controls of the root area only.
struct LayoutMapEntry {
  UINT controlId;
  UINT anchors;
};
// A map with nested areas is a function.
typedef void (*LayoutMapFunction)(LayoutMap& map);

// The deferred-move calls of a pass: the system's, unless a test watches the batch.
struct DeferredMoveCalls {
  HDWP(WINAPI* begin)(int count);
  HDWP(WINAPI* defer)(HDWP hdwp, HWND hwnd, HWND insertAfter, int x, int y, int cx, int cy,
                      UINT flags);
  BOOL(WINAPI* end)(HDWP hdwp);
};
extern DeferredMoveCalls gDeferredMoves;

class DialogLayout {
 public:
  // templateId: the dialog's own resource, read from the resource instance.
  DialogLayout(UINT templateId, const LayoutMapEntry* entries, size_t count);
  template <size_t N>
  DialogLayout(UINT templateId, const LayoutMapEntry (&entries)[N])
      : DialogLayout(templateId, entries, N) {}
  DialogLayout(UINT templateId, LayoutMapFunction map);
  DialogLayout(const DialogLayout&) = delete;
  DialogLayout& operator=(const DialogLayout&) = delete;

  // On by default. A dialog that wants no size grip switches it off in its own
  // WM_INITDIALOG handler, which runs before the layout's.
  void SetGripper(bool on) { m_gripper = on; }
  bool HasGripper() const { return m_gripper; }

  // Always false: the message is never marked handled. A WM_DPICHANGED that reaches the
  // layout is taken whole (Rescale, then the suggested rectangle); a dialog with pixel
  // values of its own handles it itself, around Rescale.
  bool OnMessage(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

  // The DPI the dialog is laid out for: its monitor's, from WM_INITDIALOG on.
  UINT GetDpi() const { return m_dpi; }
  // A value meant for 96 DPI at the dialog's DPI.
  int Scale(int value) const { return ScaleForDpi(value, m_dpi); }
  // Moves the dialog to another DPI as the dialog manager would have made it there: the
  // template's font at that DPI for every control that had the dialog's font, every control
  // scaled in place and size, the margins converted anew, and every dialog inside it (plugin
  // pages) told the same; then a pass over the current client area. False when the dialog
  // is at that DPI already. The window keeps its size: the caller applies what Windows
  // suggests.
  bool Rescale(UINT dpi);
  // The font the dialog's controls have now: the dialog manager's until the first rescale.
  HFONT GetFont() const { return m_controlsFont; }

  // One pass over the container with its rectangle in pixels; nothing before WM_INITDIALOG.
  void UpdateLayout(LayoutContainer* container, const RECT& rect);

  const DialogTemplate& GetTemplate() const { return m_template; }
  // Null outside WM_INITDIALOG to WM_DESTROY.
  LayoutContainer* GetRoot() const { return m_root.get(); }
  HWND GetGripperWindow() const { return m_wndGripper; }

 private:
  void Initialize(HWND hwnd);
  void BuildRoot();
  void Release();

  DialogTemplate m_template;
  const LayoutMapEntry* m_entries = nullptr;
  size_t m_entryCount = 0;
  LayoutMapFunction m_mapFunction = nullptr;
  std::unique_ptr<LayoutContainer> m_root;
  bool m_gripper = true;
  HWND m_hWnd = nullptr;
  HWND m_wndGripper = nullptr;
  UINT m_dpi = kDefaultDpi;
  SIZE m_gripSize = {};         // as the system made it, at m_gripDpi
  UINT m_gripDpi = kDefaultDpi;
  HFONT m_controlsFont = nullptr;  // what the controls show their text in
  UniqueFont m_font;               // made by the last rescale, if any
};

#endif
