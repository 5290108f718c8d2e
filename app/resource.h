// Resource ids of tambrel.exe. The numbers are the system's own: never renumber them.
#ifndef TAMBREL_RESOURCE_H
#define TAMBREL_RESOURCE_H

#define IDI_TAMBREL 1      // window icon
#define IDI_TAMBREL_SMALL 2  // list image 0, the placeholder plugin's icon
#define IDB_ABOUT 206

// About dialog
#define IDD_ABOUT 100
#define IDC_ABOUT_VERSION 1012

// Main dialog
#define IDD_MAIN 129
#define IDC_MAIN_ACTIONCOMBO 1001
#define IDC_MAIN_BINDINGS 1003
#define IDC_MAIN_ABOUT 1004
#define IDC_MAIN_SAVE 1005
#define IDC_MAIN_NEW 1006
#define IDC_MAIN_COPY 1007
#define IDC_MAIN_SETTINGS 1008
#define IDC_MAIN_TOGGLED 1009
#define IDC_MAIN_SHORTCUTCOMBO 1010
#define IDC_MAIN_DEBUGDUMP 1011
#define IDC_MAIN_TABS 1025
#define IDC_MAIN_DELETE 57665

// Settings dialog
#define IDD_SETTINGS 130
#define IDC_SETTINGS_OK 2  // IDCANCEL's number: Esc is the button
#define IDC_SETTINGS_LOGFILE 1004
#define IDC_SETTINGS_BROWSELOG 1005
#define IDC_SETTINGS_PLUGINACTIVE 1014
#define IDC_SETTINGS_LOG 1015
#define IDC_SETTINGS_ENGINEACTIVE 1016
#define IDC_SETTINGS_HOOKACTIVE 1017
#define IDC_SETTINGS_AUTOSHOW 1018
#define IDC_SETTINGS_PLUGINS 1019
#define IDC_SETTINGS_OVERLAY 1020
#define IDC_SETTINGS_PLUGINGROUP 1021
#define IDC_SETTINGS_NOTE 1028

#endif
