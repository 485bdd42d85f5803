// Resource ids of padwright.exe: the main dialog, its controls and the icon. Shared by the
// resource script and the code, so plain #defines that a resource compiler reads too.
#ifndef PADWRIGHT_UI_RESOURCE_H
#define PADWRIGHT_UI_RESOURCE_H

#define IDD_MAIN 101
#define IDD_HISTORY 102
#define IDI_MAIN 106

#define IDC_INITIALIZE 1025
#define IDC_UPDATE 1039
#define IDC_STATUS 1045
#define IDC_FILE_PATH 1349
#define IDC_PROGRESS 1351
#define IDC_SELECT 1352
#define IDC_VERSION 1354
#define IDC_REFRESH 1356
#define IDC_FORCE_UPDATE 1361
#define IDC_HISTORY_TEXT 1401
#define IDC_HISTORY_COPY 1402

// The system menu's "Update history..." (below 0xF000 and a multiple of 16, as Windows
// keeps the low four bits of a system command for itself).
#define IDM_HISTORY 0x0010

#endif
