// The main dialog: chip type, image information, hex view, the option page
// host, the device and job controls, and the status bar.
#pragma once

#include "DialogWnd.h"
#include "HexEditBase.h"
#include "PaintPacer.h"
#include "WinTypes.h"

#include <QList>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <QUrl>

#include <cstdint>
#include <map>
#include <string>

using UINT_PTR = std::uintptr_t;

class COptionPage;
class QCloseEvent;
class QSocketNotifier;

// Device-change events and the device type of HID interfaces.
inline constexpr UINT DBT_DEVICEARRIVAL = 0x8000;
inline constexpr UINT DBT_DEVICEREMOVECOMPLETE = 0x8004;
inline constexpr DWORD DBT_DEVTYP_DEVICEINTERFACE = 5;

// Window commands that reach OnSysCommand.
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_MAXIMIZE = 0xF030;
inline constexpr UINT SC_CLOSE = 0xF060;
inline constexpr UINT SC_RESTORE = 0xF120;

class CTessadaneDlg : public CDialogWnd {
    Q_OBJECT

public:
    explicit CTessadaneDlg(QWidget* pParent = nullptr);
    ~CTessadaneDlg() override;

    // Shows the image: hex view, code length, checksum, memory type radio.
    // Called by the option pages after every edit.
    void UpdateImageInfo();
    // The chip-type switch (combo 1000).
    void OnCbnSelchangeChipType();
    // Window commands; IDM_ABOUTBOX opens the about box.
    void OnSysCommand(UINT nID, qintptr lParam);

    void OnEnChangeVersion();
    void OnBnClickedRadio24c01();
    void OnBnClickedRadio24c32();
    void OnBnClickedRadioFlash();
    void OnSize(UINT nType, int cx, int cy);

    // Devices and jobs (TessadaneDlgJobs.cpp).
    void OnBnClickedConnect();
    void OnCbnSelchangeDevice();
    BOOL OnDeviceChange(UINT nEventType, DWORD dwDeviceType);
    void OnTimer(UINT_PTR nIDEvent);
    void OnBnClickedDownload();
    void OnBnClickedRead();
    void OnBnClickedOpenFile();
    // Loads the file at path for the chosen chip type, as Open File does
    // once its dialog has given the path: the load's message boxes, and the
    // image and its page. False when the file was refused.
    bool OpenImageFile(const std::string& path);
    // Everything Open File does once its dialog has given path (empty: the
    // dialog was cancelled): the load, the image shown, and the status text
    // "Opened file successfully!" or "Open file failed!".
    void OpenFileFromPath(const std::string& path);
    void OnBnClickedSaveToBin();
    void OnEnChangeModifyLength();
    void OnBnClickedModifyLength();
    // Whether the close box may end the dialog now.
    bool CanEndDialog();
    // While a job runs: the busy beep and text, and true.
    bool RefusedWhileBusy();

    // The desktop side of the window (TessadaneDlgDesktop.cpp).
    // Opens path as Open File would once the window shows (the command
    // line's file).
    void OpenFileOnceShown(const std::string& path);
    // Files dropped onto the window or any control in it: one .hex or .bin
    // file opens as Open File would; anything else is refused with the
    // texts of a refused file. Handled once the drop is over.
    void OnDropFiles(const QList<QUrl>& urls);
    // The context menu's "Status log…": the log window, modal.
    void OnStatusLog();

    // Timers reported to OnTimer by id every nElapse ms until KillTimer.
    void SetTimer(UINT_PTR nIDEvent, UINT nElapse);
    void KillTimer(UINT_PTR nIDEvent);

    QPixmap m_hIcon;
    BOOL m_bInitDone = FALSE;
    QRect m_rcInit;
    CHexEditBase m_hexEdit;
    // Paints once a frame while a job runs.
    CPaintPacer m_jobPaints{this};
    QWidget* m_tab = nullptr;
    COptionPage* m_pCurPage = nullptr;
    BYTE m_nChipType = 0;
    BYTE m_nMemoryType = 0;

protected:
    bool OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void contextMenuEvent(QContextMenuEvent* e) override;
    void timerEvent(QTimerEvent* e) override;

private:
    void DoDataExchange();
    void RegisterHidNotification();
    void OnHidChangesPending();
    void EnableMemoryTypeRadios(BYTE mask);
    // A memory-type radio: the chip's magic for that type, then the view.
    void OnMemoryTypeRadio(BYTE memType);
    // Ctrl+O and Ctrl+S, file drops (TessadaneDlgDesktop.cpp).
    void InstallDesktopBindings();
    // A click on push button id as the user's.
    void PressDlgButton(int id);
    void RefuseDroppedFiles();

    QString m_strAboutMenu;  // entry of the context menu; empty: none
    QSocketNotifier* m_pHidNotifier = nullptr;
    std::map<UINT_PTR, int> m_timers;  // timer id -> Qt timer
};
