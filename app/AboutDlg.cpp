#include "AboutDlg.h"

#include "ResourceIds.h"

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialogWnd(IDD_ABOUTBOX, pParent) {}
