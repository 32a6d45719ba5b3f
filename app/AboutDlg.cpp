#include "AboutDlg.h"

#include "Resource.h"

CAboutDlg::CAboutDlg(QWidget* pParent) : CDialogWnd(IDD_ABOUTBOX, pParent) {}
