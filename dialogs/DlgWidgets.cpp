#include "DlgWidgets.h"

CDlgEdit::CDlgEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new RuleValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { m_lastText = text; });
}

void CDlgEdit::SetTextFromProgram(const QString& text) {
    m_programSet = true;
    setText(text);
    m_programSet = false;
}

QValidator::State CDlgEdit::RuleValidator::validate(QString& input, int& pos) const {
    if (m_edit->m_programSet) return Acceptable;
    QString after = input;
    if (!ApplyEditInputRules(m_edit->m_rules, m_edit->m_lastText, &after)) return Invalid;
    input = after;
    if (pos > input.size()) pos = static_cast<int>(input.size());
    return Acceptable;
}

CAutoRadioButton::CAutoRadioButton(const QString& text, QWidget* parent) : QRadioButton(text, parent) {
    setAutoExclusive(false);
}

void CAutoRadioButton::nextCheckState() {
    if (m_group) {
        for (const QPointer<CAutoRadioButton>& other : *m_group)
            if (other && other != this) other->setChecked(false);
    }
    setChecked(true);
}
