// The option page framework. A page object lives for the whole run; its
// window is created from the page's template inside the main dialog's page
// host when its chip type is chosen, and destroyed when another one is.
//
// What every page shares lives here, for the pages to call:
// - page defaults: every show and every hide of the window writes the chip's
//   default image (SetDefaults), then fills the controls (LoadFromImage);
// - LoadFromImage, which the engine also reaches after loading or reading an
//   image, through the host, on the user-interface thread;
// - the hex-edit rule, the string-field rule, the checksum refresh and the
//   image-info refresh that follow an edit of the image;
// - the white background of the page and of the controls in its id list.
// The rules themselves are pure functions in PageRules.h.
#pragma once

#include "DialogWnd.h"
#include "ImageFormat.h"
#include "PageRules.h"
#include "WinTypes.h"

#include <QPointer>
#include <QString>

#include <cstddef>
#include <initializer_list>
#include <span>
#include <optional>

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

class CTessadaneDlg;

class COptionPage {
public:
    // nIDTemplate: the page's template; layout: the checksums of its chip
    // type's images (the default, VQ7140S, has none to refresh).
    explicit COptionPage(UINT nIDTemplate, ChecksumLayout layout = ChecksumLayout::VQ7140S)
        : m_nIDTemplate(nIDTemplate), m_layout(layout) {}
    virtual ~COptionPage();
    COptionPage(const COptionPage&) = delete;
    COptionPage& operator=(const COptionPage&) = delete;

    // Creates the page window from template nIDTemplate as a hidden child of
    // pParentWnd; OnCreate then registers the page's handlers.
    bool Create(UINT nIDTemplate, QWidget* pParentWnd);
    // SW_SHOW or SW_HIDE; a change of visibility runs OnShowWindow.
    void ShowWindow(int nCmdShow);
    // Destroys the window; the object stays. A shown window is hidden first,
    // as any child window is on its way out, and so runs OnShowWindow.
    void DestroyWindow();
    // The page window; nullptr while there is none.
    CChildDialogWnd* GetWnd() const { return m_pWnd.data(); }
    UINT GetTemplateId() const { return m_nIDTemplate; }

    // Fills the page's controls from g_image. Filling an edit runs its
    // handler, which writes the field back and refreshes the checksum and
    // the image information. Nothing happens without a window.
    virtual void LoadFromImage() {}

protected:
    // After the controls are built: register the handlers (the page's
    // message map) and the white background.
    virtual void OnCreate() {}
    // Shown or hidden alike: page defaults, then LoadFromImage.
    virtual void OnShowWindow(bool bShow, UINT nStatus);
    // Writes the chip's default image and the page's own defaults.
    virtual void SetDefaults() {}

    ChecksumLayout Layout() const { return m_layout; }

    // --- page defaults ---
    // The header bytes a page's defaults give; the rest of the header is FF.
    static constexpr std::size_t DEFAULT_HEADER_FRONT = 16;
    // g_codeLen and g_checksum 0, g_imageLen 52; the header (front, then FF),
    // its checksum at 48..49 and a code checksum of 0 at 50..51.
    void WriteDefaultHeader(const BYTE (&front)[DEFAULT_HEADER_FRONT]);

    // --- hex-edit rule ---
    // The value of hex edit id, or nothing after "Invalid parameters": the
    // edit is then reset to "%X" of what was scanned, which runs the edit's
    // handler again, and the caller must stop.
    std::optional<DWORD> CheckHexEdit(int id, HexDigits digits = HexDigits::UpperCase);
    // The whole rule on a big-endian pair of header bytes at offset: check,
    // store, checksum refresh, image-info refresh.
    void OnHexEditChanged(int id, std::size_t offset);
    // Limit 4 and "%02X%02X" of the pair at offset (runs the handler).
    void LoadHexEdit(int id, std::size_t offset);

    // --- string-field rule ---
    // Limit of the field's capacity; box ticked and the characters when the
    // string is present, else unticked and absentText (runs the handler).
    void LoadStringField(int boxId, int editId, const StringFieldLayout& layout, const QString& absentText);
    // From box and edit into the image: the characters when ticked, the
    // field all FF when not. No refresh.
    void StoreStringField(int boxId, int editId, const StringFieldLayout& layout);
    // The whole rule: store, checksum refresh, image-info refresh.
    void OnStringFieldChanged(int boxId, int editId, const StringFieldLayout& layout);

    // --- signed-number edits ---
    // The value of number edit id, within low..high, or nothing after the
    // edit was reset to the scanned value or to the bound it passed (no
    // message): the reset text runs the edit's handler again, and the
    // caller must stop.
    std::optional<int> CheckNumberEdit(int id, int low, int high);

    // --- drop-down lists ---
    // Selects the entry that the field of value holds (no handler runs).
    void LoadCombo(int id, BYTE value, ComboField field);
    // The field's bits for the entry selected now.
    BYTE ComboBits(int id, ComboField field) const;

    // Box ids[i] ticked exactly when bit firstBit + i of value is set.
    void LoadFlagBoxes(std::span<const int> ids, BYTE value, int firstBit = 0);
    void LoadFlagBoxes(std::initializer_list<int> ids, BYTE value, int firstBit = 0) {
        LoadFlagBoxes(std::span<const int>(ids.begin(), ids.size()), value, firstBit);
    }
    // The other way: bit firstBit + i set exactly when box ids[i] is ticked.
    BYTE FlagBoxBits(std::span<const int> ids, int firstBit = 0) const;
    BYTE FlagBoxBits(std::initializer_list<int> ids, int firstBit = 0) const {
        return FlagBoxBits(std::span<const int>(ids.begin(), ids.size()), firstBit);
    }

    // --- refreshes ---
    // Header checksum of the current header at 48 + g_codeLen (nothing on
    // the VQ7140S layout, whose images carry no checksums).
    void RefreshHeaderChecksum();
    // Code checksum at 50 + g_codeLen (the VQ7140S layout stores none);
    // returns it. g_checksum is the caller's.
    WORD RefreshCodeChecksum();
    // The main dialog shows the image again (hex view, length, checksum,
    // memory type).
    void UpdateImageInfo() const;
    // After an edit of header bytes: header checksum and image info.
    void HeaderEdited() {
        RefreshHeaderChecksum();
        UpdateImageInfo();
    }

    // --- white background ---
    // The page is white; the controls in ids (IDC_STATIC: labels and group
    // boxes) show the page's white behind them, all others keep the system
    // colours.
    void SetWhiteBackground(std::initializer_list<int> ids);

    // --- controls; all do nothing (or answer empty) without a window ---
    void SetDlgItemText(int id, const QString& text);
    QString GetDlgItemText(int id) const;
    void CheckDlgButton(int id, unsigned check);
    unsigned IsDlgButtonChecked(int id) const;
    void EnableDlgItem(int id, bool enable);
    void LimitDlgItemText(int id, int limit);
    // Registers a handler on the window (the page's message map).
    void OnNotify(int id, int code, CDlgControls::Handler handler);

    // The main dialog (page -> page host -> dialog); nullptr without window.
    CTessadaneDlg* MainDialog() const;

private:
    UINT m_nIDTemplate;
    ChecksumLayout m_layout;
    QPointer<CChildDialogWnd> m_pWnd;
};
