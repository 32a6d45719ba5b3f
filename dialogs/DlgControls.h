// The controls layer shared by the main dialog, the about box and the option
// pages: controls built from a template, reached by id, with handlers
// registered by control id and notification code (the window's message map).
//
// Notifications follow the dialog-control rules:
// - EN_CHANGE runs on every text the program sets (SetDlgItemText, also an
//   unchanged text) and on every change the user makes;
// - BN_CLICKED runs on a click or key press of the user, CBN_SELCHANGE on a
//   choice of the user; checking a button or selecting a combo entry from
//   the program runs no handler.
// Every call may come from any thread: it runs on the user-interface thread
// while the caller waits.
#pragma once

#include "DialogBuilder.h"
#include "DialogResources.h"
#include "DialogTemplate.h"

#include <QMetaObject>
#include <QPixmap>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <utility>
#include <vector>

class QWidget;

enum NotifyCode : int {
    BN_CLICKED = 0,
    CBN_SELCHANGE = 1,
    EN_CHANGE = 0x0300,
};

inline constexpr unsigned BST_UNCHECKED = 0;
inline constexpr unsigned BST_CHECKED = 1;
inline constexpr int CB_ERR = -1;

class CDlgControls {
public:
    using Handler = std::function<void()>;

    explicit CDlgControls(QWidget* self) : m_self(self) {}
    virtual ~CDlgControls();
    CDlgControls(const CDlgControls&) = delete;
    CDlgControls& operator=(const CDlgControls&) = delete;

    // Builds the controls of template templateId as children of the window
    // and gives the window the template's font and size. False when there
    // is no such template.
    bool CreateControls(int templateId);
    const DialogTemplate* Template() const { return m_template; }
    const DialogBaseUnits& BaseUnits() const { return m_units; }
    // The window's size in pixels as the template gives it.
    QSize TemplateSize() const;

    // Control by id; nullptr when there is none (also for -1).
    QWidget* GetDlgItem(int id) const;
    template <class W>
    W* DlgItem(int id) const { return qobject_cast<W*>(GetDlgItem(id)); }
    // All controls in tab order.
    const std::vector<BuiltControl>& Controls() const { return m_controls; }
    // Puts w in the place of control id (position, size, tab order, id) and
    // deletes the control it replaces. Returns w, or nullptr when id is unknown.
    // A control that is w already stays as it is.
    QWidget* SubclassDlgItem(int id, QWidget* w);
    // Before CreateControls: control id is to be w, built in its place (as
    // SubclassDlgItem puts it there afterwards), without making the widget
    // of the control's kind first.
    void PlaceDlgItem(int id, QWidget* w) { m_placed[id] = w; }

    // Message map: the handler of notification code from control id.
    void OnNotify(int id, int code, Handler handler);
    void OnBnClicked(int id, Handler handler) { OnNotify(id, BN_CLICKED, std::move(handler)); }
    void OnEnChange(int id, Handler handler) { OnNotify(id, EN_CHANGE, std::move(handler)); }
    void OnCbnSelchange(int id, Handler handler) { OnNotify(id, CBN_SELCHANGE, std::move(handler)); }
    // Runs the handler of (id, code) now, on the user-interface thread.
    void SendNotify(int id, int code);

    // Control calls.
    void SetDlgItemText(int id, const QString& text);
    QString GetDlgItemText(int id) const;
    void CheckDlgButton(int id, unsigned check);
    unsigned IsDlgButtonChecked(int id) const;
    void EnableDlgItem(int id, bool enable);
    bool IsDlgItemEnabled(int id) const;
    void ShowDlgItem(int id, bool show);
    void SetDlgItemFocus(int id);
    // Limit of the characters the user can type into edit id.
    void LimitDlgItemText(int id, int limit);
    void SetDlgItemIcon(int id, const QPixmap& icon);
    // Drop-down lists.
    void ComboResetContent(int id);
    int ComboAddString(int id, const QString& text);  // index of the new entry
    int ComboGetCount(int id) const;
    int ComboGetCurSel(int id) const;                 // CB_ERR when none
    void ComboSetCurSel(int id, int index);           // -1: no selection
    QString ComboGetText(int id, int index) const;

private:
    void ConnectNotifications(QWidget* w, int id);

    QWidget* m_self;
    const DialogTemplate* m_template = nullptr;
    DialogBaseUnits m_units;
    std::vector<BuiltControl> m_controls;
    std::map<int, QPointer<QWidget>> m_byId;
    std::map<int, QWidget*> m_placed;  // PlaceDlgItem
    std::map<std::pair<int, int>, Handler> m_handlers;
    std::vector<QMetaObject::Connection> m_connections;
    int m_programTextDepth = 0;  // inside a text set by the program
};
