// The application's global objects and the chip-type table.
#pragma once

#include "ChipPatches.h"
#include "ChipTypes.h"
#include "MyStatusBar.h"
#include "OptionPages.h"
#include "TessadaneApp.h"
#include "ControlObjects.h"
#include "ImageDocument.h"

#include <QBrush>
#include <QPixmap>
#include <QString>

#include <atomic>

class CTessadaneDlg;

// One row of the chip-type table.
struct CHIP_TYPE_ENTRY {
    QString strLabel;      // entry of the chip-type combo box
    WORD nIDTemplate;      // template of the row's option page
    COptionPage* pPage;    // the row's option page
    CVQPatch* pPatch;      // the row's chip programmer
};

inline constexpr int CHIP_TYPE_COUNT = CHIP_TYPE_ROWS;

// Global objects, in construction order (Globals.cpp).
extern CTessadaneApp theApp;
extern CMyStatusBar g_statusBar;
extern CProgressCtrl g_progress;
extern CButton g_chkModifyLength;
extern CPageOptionVQ7140S g_pageVQ7140S;
extern CPageOptionVQ7140XX g_pageVQ7140XX;
extern CPageOptionVQ7170 g_pageVQ7170;
extern CPageOptionVQ7170S g_pageVQ7170S;
extern CPageOptionVQ7340 g_pageVQ7340;
extern CPageOptionVQ5632 g_pageVQ5632;
extern CPageOptionVQ5520 g_pageVQ5520;
extern CVQ7140SPatch g_patchVQ7140S;
extern CVQ7140XXPatch g_patchVQ7140XX;
extern CVQ7170Patch g_patchVQ7170;
extern CVQ7170SPatch g_patchVQ7170S;
extern CVQ7340Patch g_patchVQ7340;
extern CVQ5632Patch g_patchVQ5632;
extern CVQ5520Patch g_patchVQ5520;
// CHIP_TYPE_COUNT rows (checked where it is defined).
extern CHIP_TYPE_ENTRY g_chipTable[];

// Plain globals (static initial values).
extern UINT indicators[2];                    // status-bar panes: strings 102 and 103
extern COptionPage* g_pCurPage;               // option page shown now
extern const QBrush* g_hbrWhite;              // white background of the dialog and the pages
extern CTessadaneDlg* g_pWorkerDlg;           // the dialog, for the worker threads
extern const QPixmap* g_hIconConnected;       // icon 134
extern const QPixmap* g_hIconDisconnected;    // icon 135
extern std::atomic<int> g_bBusy;              // a download or read job runs
extern BYTE g_nDeviceCount;                   // devices accepted by the last scan
