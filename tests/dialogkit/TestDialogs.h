// Resource ids of the test dialogs in TestDialogs.rc.
#ifndef TAMBREL_TESTS_TESTDIALOGS_H
#define TAMBREL_TESTS_TESTDIALOGS_H

// One design twice: classic and extended.
#define IDD_DESIGN_CLASSIC 1001
#define IDD_DESIGN_EXTENDED 1002
#define IDC_DESIGN_OK 10
#define IDC_DESIGN_EDIT 11
#define IDC_DESIGN_CHECK 12
#define IDC_DESIGN_LABEL 13
#define IDC_DESIGN_LAST 19

// No DS_SETFONT: the system font's units.
#define IDD_NOFONT 1003

// Creation data, in both layouts; the classic one is hand-made (windres writes control data
// only into extended templates).
#define IDD_DATA_EXTENDED 1004
#define IDD_DATA_CLASSIC 1005

// A face name longer than LOGFONTW holds, with weight and italic.
#define IDD_LONGFACE 1006

// Menu, class and title fields.
#define IDD_NAMES_CLASSIC 1007
#define IDD_NAMES_EXTENDED 1008

// Resizable dialogs, one design in both layouts, a control for each anchor set.
#define IDD_LAYOUT_CLASSIC 1010
#define IDD_LAYOUT_EXTENDED 1011
#define IDC_FIXED 31       // left, top
#define IDC_TOPRIGHT 32    // top, right
#define IDC_WIDE 33        // left, top, right
#define IDC_CORNER 34      // right, bottom
#define IDC_WIDEBOTTOM 35  // left, right, bottom
#define IDC_STRETCH 36     // all four
#define IDC_UNANCHORED 37  // none
#define IDC_GROUP 38

// Nested areas bounded by rules.
#define IDD_RULES 1012
#define IDC_RULE_ANCHOR 41
#define IDC_RULE_RATIO 42
#define IDC_RULE_BELOW 43

// A child dialog with a layout of its own.
#define IDD_LAYOUT_PAGE 1013
#define IDC_PAGE_EDIT 51    // left, top, right
#define IDC_PAGE_LABEL 52   // not laid out

#endif
