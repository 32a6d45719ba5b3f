// The option page framework. A page object lives for the whole run; its
// window is created from the page's template inside the main dialog's page
// host when its chip type is chosen, and destroyed when another one is.
//
// What every page shares lives here, for the pages to call:
// - page defaults: every show and every hide of the window writes the chip's
//   default image (SetDefaults), then fills the controls (LoadFromImage);
// - LoadFromImage, which the engine also reaches after loading or reading an
//   image, through the host, on the user-interface thread;
// - the hex-edit rule, the string-field rule and the image-info refresh that
//   follow an edit of the image;
// - the white background of the page and of the controls in its id list.
// The image bytes of every field, their defaults and the checksum refresh
// after a change are the field table's (ImageFields.h); the text rules are
// pure functions in PageRules.h.
#pragma once

#include "DialogWnd.h"
#include "ImageFields.h"
#include "PageRules.h"
#include "WinTypes.h"

#include <QPointer>
#include <QString>

#include <cstddef>
#include <initializer_list>
#include <optional>
#include <span>
#include <string_view>

inline constexpr int SW_HIDE = 0;
inline constexpr int SW_SHOW = 5;

class CTessadaneDlg;

class COptionPage {
public:
    // nIDTemplate: the page's template; row: its chip-type row, whose field
    // table gives the image bytes (the default, VQ7140S, has no fields and
    // no checksums).
    explicit COptionPage(UINT nIDTemplate, int row = CHIP_ROW_VQ7140S) : m_nIDTemplate(nIDTemplate), m_row(row) {}
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
    // Shown or hidden alike: the row's default image, the page's own
    // defaults, then LoadFromImage.
    virtual void OnShowWindow(bool bShow, UINT nStatus);
    // The page's own defaults, after the default image.
    virtual void SetDefaults() {}

    // The field of the page's row called name.
    const ImageField& Field(std::string_view name) const { return ChipField(m_row, name); }
    // A change through the field table (bytes and checksum refresh), then
    // the image-info refresh.
    void ApplyField(const FieldChange& change);
    void ApplyField(const ImageField& field, int value);
    // The refresh of the page's row after bytes written in several steps,
    // then the image-info refresh.
    void RefreshAfterEdit(FieldRefresh refresh);

    // --- hex-edit rule ---
    // The value of hex edit id, or nothing after "Invalid parameters": the
    // edit is then reset to "%X" of what was scanned, which runs the edit's
    // handler again, and the caller must stop.
    std::optional<DWORD> CheckHexEdit(int id, HexDigits digits = HexDigits::UpperCase);
    // The whole rule on a hex-pair field: check, store, refreshes.
    void OnHexEditChanged(int id, const ImageField& field);
    // Limit 4 and "%02X%02X" of the pair (runs the handler).
    void LoadHexEdit(int id, const ImageField& field);

    // --- string-field rule ---
    // Limit of the field's capacity in the layout given; box ticked and the
    // characters when the string is present, else unticked and the field's
    // absent text (runs the handler).
    void LoadStringField(int boxId, int editId, const ImageField& field, bool longLayout = false);
    // The whole rule: from box and edit into the image (the characters when
    // ticked, no string when not) in the layout the image asks for now,
    // the field's refresh, the image-info refresh.
    void OnStringFieldChanged(int boxId, int editId, const ImageField& field);

    // --- signed-number edits ---
    // The value of number edit id, within low..high, or nothing after the
    // edit was reset to the scanned value or to the bound it passed (no
    // message): the reset text runs the edit's handler again, and the
    // caller must stop.
    std::optional<int> CheckNumberEdit(int id, int low, int high);

    // --- drop-down lists ---
    // Selects the entry that the choice field holds (no handler runs).
    void LoadCombo(int id, const ImageField& field);
    // The choice field = the entry selected now; no refresh.
    void StoreCombo(int id, const ImageField& field);

    // Box ids[i] ticked exactly when bit firstBit + i of value is set.
    void LoadFlagBoxes(std::span<const int> ids, BYTE value, int firstBit = 0);
    void LoadFlagBoxes(std::initializer_list<int> ids, BYTE value, int firstBit = 0) {
        LoadFlagBoxes(std::span<const int>(ids.begin(), ids.size()), value, firstBit);
    }
    // The other way: bit firstBit + i set exactly when box ids[i] is ticked.
    BYTE FlagBoxBits(std::span<const int> ids, int firstBit = 0) const;
    // A flag field's box from the image, and the other way (no refresh).
    void LoadFlagBox(int id, const ImageField& field);
    void StoreFlagBox(int id, const ImageField& field);
    bool IsTicked(int id) const { return IsDlgButtonChecked(id) != BST_UNCHECKED; }

    // The main dialog shows the image again (hex view, length, checksum,
    // memory type).
    void UpdateImageInfo() const;

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
    int m_row;
    QPointer<CChildDialogWnd> m_pWnd;
};
