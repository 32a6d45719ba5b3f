#include "DlgControls.h"

#include "DialogResources.h"
#include "DlgWidgets.h"
#include "UiThread.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QWidget>

CDlgControls::~CDlgControls() {
    // The controls outlive this part of the window; no notification may
    // reach it from their destruction.
    for (const QMetaObject::Connection& c : m_connections) QObject::disconnect(c);
}

bool CDlgControls::CreateControls(int templateId) {
    const DialogTemplate* t = FindDialogTemplate(templateId);
    if (!t) return false;
    m_template = t;
    const QFont font = DialogFont(*t);
    m_self->setFont(font);
    m_units = MeasureBaseUnits(font);
    m_controls = BuildDialogControls(*t, m_self, m_units, m_placed);
    for (const BuiltControl& c : m_controls) {
        if (c.id != -1) m_byId[c.id] = c.widget;
        ConnectNotifications(c.widget, c.id);
    }
    for (const ComboItemsTemplate& init : t->comboItems)
        for (const char* item : init.items) ComboAddString(init.id, QString::fromUtf8(item));
    m_self->resize(TemplateSize());
    return true;
}

QSize CDlgControls::TemplateSize() const {
    if (!m_template) return {};
    return {DluToPixelsX(m_template->rect.cx, m_units), DluToPixelsY(m_template->rect.cy, m_units)};
}

void CDlgControls::ConnectNotifications(QWidget* w, int id) {
    if (id == -1) return;
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        m_connections.push_back(QObject::connect(edit, &QLineEdit::textEdited, edit,
                                                 [this, id] { SendNotify(id, EN_CHANGE); }));
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
        m_connections.push_back(QObject::connect(text, &QPlainTextEdit::textChanged, text, [this, id] {
            if (m_programTextDepth == 0) SendNotify(id, EN_CHANGE);
        }));
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        m_connections.push_back(QObject::connect(button, &QAbstractButton::clicked, button,
                                                 [this, id] { SendNotify(id, BN_CLICKED); }));
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        m_connections.push_back(QObject::connect(combo, &QComboBox::activated, combo,
                                                 [this, id] { SendNotify(id, CBN_SELCHANGE); }));
    }
}

QWidget* CDlgControls::GetDlgItem(int id) const {
    if (id == -1) return nullptr;
    auto it = m_byId.find(id);
    return it == m_byId.end() ? nullptr : it->second.data();
}

QWidget* CDlgControls::SubclassDlgItem(int id, QWidget* w) {
    return RunOnUiThread([&]() -> QWidget* {
        QWidget* old = GetDlgItem(id);
        if (!old || !w) return nullptr;
        if (old == w) return w;
        w->setParent(m_self);
        w->setGeometry(old->geometry());
        w->setEnabled(old->isEnabled());
        w->setVisible(!old->isHidden());
        w->stackUnder(old);
        SetControlId(w, id);
        QWidget* previous = nullptr;
        for (BuiltControl& c : m_controls) {
            if (c.widget == old) c.widget = w;
            // A radio keeps its place whether it is its group's tab stop now or not.
            if ((c.widget->focusPolicy() & Qt::TabFocus) || c.kind == CtlKind::AutoRadio) {
                if (previous) QWidget::setTabOrder(previous, c.widget);
                previous = c.widget;
            }
        }
        m_byId[id] = w;
        delete old;
        ConnectNotifications(w, id);
        return w;
    });
}

void CDlgControls::OnNotify(int id, int code, Handler handler) { m_handlers[{id, code}] = std::move(handler); }

void CDlgControls::SendNotify(int id, int code) {
    RunOnUiThread([&] {
        auto it = m_handlers.find({id, code});
        if (it == m_handlers.end() || !it->second) return;
        Handler h = it->second;  // the handler may register handlers anew
        h();
    });
}

void CDlgControls::SetDlgItemText(int id, const QString& text) {
    RunOnUiThread([&] {
        QWidget* w = GetDlgItem(id);
        if (!w) return;
        if (auto* edit = qobject_cast<CDlgEdit*>(w)) {
            edit->SetTextFromProgram(text);
            SendNotify(id, EN_CHANGE);
        } else if (auto* line = qobject_cast<QLineEdit*>(w)) {
            line->setText(text);
            SendNotify(id, EN_CHANGE);
        } else if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) {
            ++m_programTextDepth;
            plain->setPlainText(text);
            --m_programTextDepth;
            SendNotify(id, EN_CHANGE);
        } else if (auto* label = qobject_cast<QLabel*>(w)) {
            label->setText(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            button->setText(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
            group->setTitle(text);
        }
    });
}

QString CDlgControls::GetDlgItemText(int id) const {
    return RunOnUiThread([&]() -> QString {
        QWidget* w = GetDlgItem(id);
        if (auto* line = qobject_cast<QLineEdit*>(w)) return line->text();
        if (auto* plain = qobject_cast<QPlainTextEdit*>(w)) return plain->toPlainText();
        if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
        if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
        if (auto* group = qobject_cast<QGroupBox*>(w)) return group->title();
        if (auto* combo = qobject_cast<QComboBox*>(w)) return combo->currentText();
        return {};
    });
}

void CDlgControls::CheckDlgButton(int id, unsigned check) {
    RunOnUiThread([&] {
        if (auto* button = DlgItem<QAbstractButton>(id)) button->setChecked(check == BST_CHECKED);
    });
}

unsigned CDlgControls::IsDlgButtonChecked(int id) const {
    return RunOnUiThread([&]() -> unsigned {
        auto* button = DlgItem<QAbstractButton>(id);
        return button && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
    });
}

void CDlgControls::EnableDlgItem(int id, bool enable) {
    RunOnUiThread([&] {
        if (QWidget* w = GetDlgItem(id)) w->setEnabled(enable);
    });
}

bool CDlgControls::IsDlgItemEnabled(int id) const {
    return RunOnUiThread([&] {
        QWidget* w = GetDlgItem(id);
        return w && w->isEnabled();
    });
}

void CDlgControls::ShowDlgItem(int id, bool show) {
    RunOnUiThread([&] {
        if (QWidget* w = GetDlgItem(id)) w->setVisible(show);
    });
}

void CDlgControls::SetDlgItemFocus(int id) {
    RunOnUiThread([&] {
        if (QWidget* w = GetDlgItem(id)) w->setFocus(Qt::OtherFocusReason);
    });
}

void CDlgControls::LimitDlgItemText(int id, int limit) {
    RunOnUiThread([&] {
        if (auto* edit = DlgItem<CDlgEdit>(id)) edit->SetLimitText(limit);
    });
}

void CDlgControls::SetDlgItemIcon(int id, const QPixmap& icon) {
    RunOnUiThread([&] {
        if (auto* label = DlgItem<QLabel>(id)) label->setPixmap(icon);
    });
}

void CDlgControls::ComboResetContent(int id) {
    RunOnUiThread([&] {
        if (auto* combo = DlgItem<QComboBox>(id)) combo->clear();
    });
}

int CDlgControls::ComboAddString(int id, const QString& text) {
    return RunOnUiThread([&]() -> int {
        auto* combo = DlgItem<QComboBox>(id);
        if (!combo) return CB_ERR;
        const int selected = combo->currentIndex();
        combo->addItem(text);
        combo->setCurrentIndex(selected);  // adding an entry selects nothing
        return combo->count() - 1;
    });
}

int CDlgControls::ComboGetCount(int id) const {
    return RunOnUiThread([&]() -> int {
        auto* combo = DlgItem<QComboBox>(id);
        return combo ? combo->count() : CB_ERR;
    });
}

int CDlgControls::ComboGetCurSel(int id) const {
    return RunOnUiThread([&]() -> int {
        auto* combo = DlgItem<QComboBox>(id);
        return combo ? combo->currentIndex() : CB_ERR;
    });
}

void CDlgControls::ComboSetCurSel(int id, int index) {
    RunOnUiThread([&] {
        auto* combo = DlgItem<QComboBox>(id);
        if (!combo) return;
        combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
    });
}

QString CDlgControls::ComboGetText(int id, int index) const {
    return RunOnUiThread([&]() -> QString {
        auto* combo = DlgItem<QComboBox>(id);
        return combo ? combo->itemText(index) : QString();
    });
}
