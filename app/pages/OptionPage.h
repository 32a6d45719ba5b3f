// The option page base: a page object lives for the whole run, its window
// is created inside the main dialog's page host when its chip type is
// chosen and destroyed when another one is.
#pragma once

#include "DialogWnd.h"
#include "WinTypes.h"

#include <QPointer>

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

class CTessadaneDlg;

class COptionPage {
public:
    explicit COptionPage(UINT nIDTemplate) : m_nIDTemplate(nIDTemplate) {}
    virtual ~COptionPage();
    COptionPage(const COptionPage&) = delete;
    COptionPage& operator=(const COptionPage&) = delete;

    // Creates the page window from template nIDTemplate as a hidden child of
    // pParentWnd; OnCreate then registers the page's handlers.
    bool Create(UINT nIDTemplate, QWidget* pParentWnd);
    // SW_SHOW or SW_HIDE; a change of visibility runs OnShowWindow.
    void ShowWindow(int nCmdShow);
    // Destroys the window; the object stays.
    void DestroyWindow();
    // The page window; nullptr while there is none.
    CChildDialogWnd* GetWnd() const { return m_pWnd.data(); }
    UINT GetTemplateId() const { return m_nIDTemplate; }

    // Fills the page's controls from g_image.
    virtual void LoadFromImage() {}

protected:
    // After the controls are built: register handlers, set up controls.
    virtual void OnCreate() {}
    // The page is shown or hidden: page defaults, then LoadFromImage.
    virtual void OnShowWindow(bool bShow, UINT nStatus);
    // Writes the chip's default image header and counters.
    virtual void SetDefaults() {}
    // The main dialog (page -> page host -> dialog); nullptr without window.
    CTessadaneDlg* MainDialog() const;
    // Refreshes the main dialog's image information after an edit.
    void UpdateImageInfo() const;

private:
    UINT m_nIDTemplate;
    QPointer<CChildDialogWnd> m_pWnd;
};
