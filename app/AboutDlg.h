// The about box (template 100).
#pragma once

#include "DialogWnd.h"

class CAboutDlg : public CDialogWnd {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* pParent = nullptr);
};
