// Reading dialog templates compiled into this program: both layouts, name-or-ordinal
// fields, creation data, fonts, and dialog units against the dialog manager's own mapping.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "Dialog.h"
#include "DialogTemplate.h"
#include "TestDialogs.h"

namespace {

// "(none)", "#n" for an ordinal, else the (ASCII) text.
std::string Name(LPCWSTR name) {
  if (name == nullptr) return "(none)";
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<UINT_PTR>(name));
  std::string text;
  for (; *name != 0; ++name) text += static_cast<char>(*name);
  return text;
}

struct ItemExpectation {
  UINT id;
  short x, y, cx, cy;
  const char* windowClass;  // windres writes class strings in capitals
  const char* title;
};

std::vector<DialogItemTemplate> Walk(const DialogTemplate& tmpl) {
  std::vector<DialogItemTemplate> items;
  if (tmpl.GetItemCount() == 0) return items;
  DialogItemTemplate item = tmpl.GetFirstItem();
  for (int i = 0; i < tmpl.GetItemCount(); ++i) {
    items.push_back(item);
    if (i + 1 < tmpl.GetItemCount()) item = item.GetNext();
  }
  return items;
}

void ExpectItems(const DialogTemplate& tmpl, const std::vector<ItemExpectation>& expected) {
  ASSERT_EQ(expected.size(), tmpl.GetItemCount());
  std::vector<DialogItemTemplate> items = Walk(tmpl);
  for (size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE("item " + std::to_string(i));
    const ItemExpectation& e = expected[i];
    ASSERT_TRUE(items[i].IsValid());
    EXPECT_EQ(e.id, items[i].GetId());
    EXPECT_EQ(e.x, items[i].GetX());
    EXPECT_EQ(e.y, items[i].GetY());
    EXPECT_EQ(e.cx, items[i].GetCx());
    EXPECT_EQ(e.cy, items[i].GetCy());
    EXPECT_EQ(e.windowClass, Name(items[i].GetWindowClass()));
    EXPECT_EQ(e.title, Name(items[i].GetTitle()));
  }
}

// A dialog that does nothing, to compare with what the dialog manager makes of a template.
class PlainDialog : public Dialog {
 protected:
  bool OnMessage(UINT, WPARAM, LPARAM, LRESULT*) override { return false; }
};

const std::vector<ItemExpectation> kDesign = {
    {IDC_DESIGN_OK, 7, 7, 50, 14, "#128", "OK"},
    {IDC_DESIGN_EDIT, 7, 25, 186, 14, "#129", ""},
    {IDC_DESIGN_CHECK, 7, 45, 80, 10, "BUTTON", "Check"},
    {IDC_DESIGN_LABEL, 7, 60, 60, 8, "#130", "Label"},
    {IDC_DESIGN_LAST, 150, 100, 43, 13, "STATIC", ""},
};

TEST(DialogTemplate, ClassicAndExtendedLayoutsReadTheSameDesign) {
  for (UINT id : {IDD_DESIGN_CLASSIC, IDD_DESIGN_EXTENDED}) {
    SCOPED_TRACE(id);
    DialogTemplate tmpl;
    ASSERT_TRUE(tmpl.Load(id));
    EXPECT_EQ(id == IDD_DESIGN_EXTENDED, tmpl.IsExtended());
    EXPECT_EQ(DWORD(DS_SETFONT | WS_POPUP | WS_CAPTION), tmpl.GetStyle());
    EXPECT_EQ(200, tmpl.GetCx());
    EXPECT_EQ(120, tmpl.GetCy());
    EXPECT_EQ("(none)", Name(tmpl.GetMenu()));
    EXPECT_EQ("(none)", Name(tmpl.GetWindowClass()));
    EXPECT_EQ("Design", Name(tmpl.GetTitle()));
    LOGFONTW font;
    ASSERT_TRUE(tmpl.GetFont(&font));
    EXPECT_EQ(8, font.lfHeight);
    EXPECT_EQ(0, font.lfWeight);
    EXPECT_EQ(0, font.lfItalic);
    EXPECT_EQ(0, font.lfCharSet);
    EXPECT_EQ("MS Shell Dlg", Name(font.lfFaceName));
    ExpectItems(tmpl, kDesign);
  }
}

TEST(DialogTemplate, FindsFirstAndLastIdsAndNothingForAnAbsentOne) {
  for (UINT id : {IDD_DESIGN_CLASSIC, IDD_DESIGN_EXTENDED}) {
    SCOPED_TRACE(id);
    DialogTemplate tmpl(id);
    DialogItemTemplate first = tmpl.FindItem(IDC_DESIGN_OK);
    ASSERT_TRUE(first.IsValid());
    EXPECT_EQ(UINT(IDC_DESIGN_OK), first.GetId());
    DialogItemTemplate last = tmpl.FindItem(IDC_DESIGN_LAST);
    ASSERT_TRUE(last.IsValid());
    EXPECT_EQ(150, last.GetX());
    EXPECT_EQ(13, last.GetCy());
    EXPECT_FALSE(tmpl.FindItem(999).IsValid());
    EXPECT_FALSE(tmpl.FindItem(0).IsValid());
  }
}

TEST(DialogTemplate, SkipsCreationDataInBothLayouts) {
  DialogTemplate extended(IDD_DATA_EXTENDED);
  ASSERT_TRUE(extended.IsExtended());
  ExpectItems(extended, {{21, 1, 2, 30, 10, "BUTTON", "a"},
                         {22, 3, 4, 30, 10, "BUTTON", "b"},
                         {23, 5, 6, 30, 10, "BUTTON", "c"},
                         {24, 7, 8, 30, 10, "BUTTON", "last"}});
  EXPECT_EQ(7, extended.FindItem(24).GetX());

  DialogTemplate classic(IDD_DATA_CLASSIC);
  ASSERT_FALSE(classic.IsExtended());
  ExpectItems(classic, {{31, 1, 2, 30, 10, "#128", "a"},
                        {32, 3, 4, 30, 10, "#128", ""},
                        {33, 5, 6, 30, 10, "#128", "z"}});
  EXPECT_EQ(5, classic.FindItem(33).GetX());
}

TEST(DialogTemplate, NameFieldsAreNoneOrdinalOrString) {
  DialogTemplate classic(IDD_NAMES_CLASSIC);
  EXPECT_EQ("#77", Name(classic.GetMenu()));
  EXPECT_EQ("TAMBRELTESTCLASS", Name(classic.GetWindowClass()));
  EXPECT_EQ("Names", Name(classic.GetTitle()));
  EXPECT_EQ(61u, classic.GetFirstItem().GetId());

  DialogTemplate extended(IDD_NAMES_EXTENDED);
  EXPECT_EQ("NAMEDMENU", Name(extended.GetMenu()));
  EXPECT_EQ("(none)", Name(extended.GetWindowClass()));
  EXPECT_EQ("(none)", Name(extended.GetTitle()));
  EXPECT_EQ(61u, extended.GetFirstItem().GetId());
}

TEST(DialogTemplate, FontRecordIsClearedWholeAndTheFaceNameBounded) {
  LOGFONTW font;
  memset(&font, 0xAB, sizeof font);
  DialogTemplate tmpl(IDD_LONGFACE);
  ASSERT_TRUE(tmpl.GetFont(&font));
  EXPECT_EQ(9, font.lfHeight);
  EXPECT_EQ(700, font.lfWeight);
  EXPECT_EQ(1, font.lfItalic);
  EXPECT_EQ("Abcdefghijklmnopqrstuvwxyz01234", Name(font.lfFaceName));  // 31 characters
  LOGFONTW rest = font;
  rest.lfHeight = 0;
  rest.lfWeight = 0;
  rest.lfItalic = 0;
  memset(rest.lfFaceName, 0, 31 * sizeof(WCHAR));
  LOGFONTW zero = {};
  EXPECT_EQ(0, memcmp(&rest, &zero, sizeof zero)) << "bytes of the record left as they were";

  memset(&font, 0xAB, sizeof font);
  EXPECT_FALSE(DialogTemplate(IDD_NOFONT).GetFont(&font));
  LOGFONTW cleared = {};
  EXPECT_EQ(0, memcmp(&font, &cleared, sizeof font));
}

TEST(DialogTemplate, PointFontHeightIsInLogicalUnits) {
  HDC screen = GetDC(nullptr);
  int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  if (dpi != 96) GTEST_SKIP() << "the screen has " << dpi << " dpi, not 96";

  LOGFONTW description;
  ASSERT_TRUE(DialogTemplate(IDD_DESIGN_EXTENDED).GetFont(&description));
  UniqueFont font = DialogTemplate::CreatePointFont(description);
  ASSERT_TRUE(font);
  LOGFONTW made;
  ASSERT_TRUE(GetObjectW(font.Get(), sizeof made, &made));
  EXPECT_EQ(-11, made.lfHeight);  // MulDiv(8, 96, 72) rounds 10.67 up
  EXPECT_EQ("MS Shell Dlg", Name(made.lfFaceName));

  // In a mapping mode whose y axis points up the height is still a character height.
  HDC memory = CreateCompatibleDC(nullptr);
  SetMapMode(memory, MM_LOMETRIC);
  UniqueFont metric = DialogTemplate::CreatePointFont(description, memory);
  ASSERT_TRUE(GetObjectW(metric.Get(), sizeof made, &made));
  EXPECT_LT(made.lfHeight, -11);
  DeleteDC(memory);
}

// The dialog manager lays out a dialog with its own base units; the template's conversion
// must give the same pixels, with and without a font of the template's own.
TEST(DialogTemplate, DialogUnitsMatchTheDialogManager) {
  for (UINT id : {IDD_DESIGN_CLASSIC, IDD_DESIGN_EXTENDED, IDD_NOFONT}) {
    SCOPED_TRACE(id);
    PlainDialog dialog;
    ASSERT_NE(nullptr, dialog.Create(id, nullptr));
    DialogTemplate tmpl(id);
    for (RECT units : {RECT{0, 0, 4, 8}, RECT{7, 25, 193, 39}, RECT{-7, -3, 1001, 999}}) {
      RECT expected = units;
      ASSERT_TRUE(MapDialogRect(dialog.Window(), &expected));
      RECT converted = units;
      EXPECT_TRUE(tmpl.DialogUnitsToPixels(&converted));
      EXPECT_TRUE(EqualRect(&expected, &converted))
          << converted.left << "," << converted.top << "," << converted.right << ","
          << converted.bottom << " instead of " << expected.left << "," << expected.top << ","
          << expected.right << "," << expected.bottom;
    }
    dialog.Destroy();
  }
  DialogTemplate noFont(IDD_NOFONT);
  RECT rect = {0, 0, 4, 8};
  noFont.DialogUnitsToPixels(&rect);
  LONG units = GetDialogBaseUnits();
  EXPECT_EQ(LOWORD(units), rect.right);
  EXPECT_EQ(HIWORD(units), rect.bottom);
}

// Every control that the dialog manager creates from a template sits where the reader says.
// Not IDD_DATA_CLASSIC: Wine's dialog manager reads a classic creation-data size as not
// counting itself, and fails to create that template; the reader goes by the documented
// DLGITEMTEMPLATE rule.
TEST(DialogTemplate, ItemsAgreeWithTheControlsTheDialogManagerCreates) {
  for (UINT id : {IDD_DESIGN_CLASSIC, IDD_DESIGN_EXTENDED, IDD_DATA_EXTENDED}) {
    SCOPED_TRACE(id);
    PlainDialog dialog;
    ASSERT_NE(nullptr, dialog.Create(id, nullptr));
    DialogTemplate tmpl(id);
    for (const DialogItemTemplate& item : Walk(tmpl)) {
      HWND control = dialog.Item(item.GetId());
      ASSERT_NE(nullptr, control) << "no control " << item.GetId();
      RECT expected = {item.GetX(), item.GetY(), item.GetX() + item.GetCx(),
                       item.GetY() + item.GetCy()};
      MapDialogRect(dialog.Window(), &expected);
      RECT actual;
      GetWindowRect(control, &actual);
      MapWindowPoints(nullptr, dialog.Window(), reinterpret_cast<POINT*>(&actual), 2);
      EXPECT_EQ(expected.left, actual.left) << item.GetId();
      EXPECT_EQ(expected.top, actual.top) << item.GetId();
    }
    dialog.Destroy();
  }
}

}  // namespace
