// The global objects, all in this one file so that they are built in this
// order and destroyed in the reverse one (each chip programmer closes its
// device). Objects standing for controls get their windows later, from the
// main dialog.
#include "Globals.h"

#include "ChipTypes.h"
#include "ResourceIds.h"

#include <iterator>

// The image first: everything after it may look at it.
CImageDocument g_doc;
BYTE* const g_image = g_doc.m_image.bytes.data();
DWORD& g_imageLen = g_doc.m_image.length;
WORD& g_codeLen = g_doc.m_image.codeLen;
WORD& g_checksum = g_doc.m_image.checksum;
DWORD& g_readLen = g_doc.m_readLen;

CTessadaneApp theApp;
CMyStatusBar g_statusBar;
CProgressCtrl g_progress;
CButton g_chkModifyLength;
CPageOptionVQ7140S g_pageVQ7140S(IDD_PAGE_VQ7140S);
CPageOptionVQ7140XX g_pageVQ7140XX(IDD_PAGE_VQ7140XX);
CPageOptionVQ7170 g_pageVQ7170(IDD_PAGE_VQ7170);
CPageOptionVQ7170S g_pageVQ7170S(IDD_PAGE_VQ7170S);
CPageOptionVQ7340 g_pageVQ7340(IDD_PAGE_VQ7340);
CPageOptionVQ5632 g_pageVQ5632(IDD_PAGE_VQ5632);
CPageOptionVQ5520 g_pageVQ5520(IDD_PAGE_VQ5520);
CVQ7140SPatch g_patchVQ7140S;
CVQ7140XXPatch g_patchVQ7140XX;
CVQ7170Patch g_patchVQ7170;
CVQ7170SPatch g_patchVQ7170S;
CVQ7340Patch g_patchVQ7340;
CVQ5632Patch g_patchVQ5632;
CVQ5520Patch g_patchVQ5520;
namespace {
QString Label(int row) { return QString::fromUtf8(DescriptorOf(row).label); }
}  // namespace

CHIP_TYPE_ENTRY g_chipTable[] = {
    {Label(0), IDD_PAGE_VQ7140S, &g_pageVQ7140S, &g_patchVQ7140S},
    {Label(1), IDD_PAGE_VQ7140XX, &g_pageVQ7140XX, &g_patchVQ7140XX},
    {Label(2), IDD_PAGE_VQ7170, &g_pageVQ7170, &g_patchVQ7170},
    {Label(3), IDD_PAGE_VQ7170S, &g_pageVQ7170S, &g_patchVQ7170S},
    {Label(4), IDD_PAGE_VQ5520, &g_pageVQ5520, &g_patchVQ5520},
    {Label(5), IDD_PAGE_VQ7340, &g_pageVQ7340, &g_patchVQ7340},
    {Label(6), IDD_PAGE_VQ5632, &g_pageVQ5632, &g_patchVQ5632},
};
static_assert(std::size(g_chipTable) == CHIP_TYPE_COUNT, "g_chipTable needs one row per chip type");

UINT indicators[2] = {IDS_STATUS_READY, IDS_STATUS_PROGRESS};
COptionPage* g_pCurPage = nullptr;
const QBrush* g_hbrWhite = nullptr;
CTessadaneDlg* g_pWorkerDlg = nullptr;
const QPixmap* g_hIconConnected = nullptr;
const QPixmap* g_hIconDisconnected = nullptr;
std::atomic<int> g_bBusy{0};
BYTE g_nDeviceCount = 0;
