#include "DlgWidgets.h"

#include <QStyle>
#include <QStyleOptionFrame>

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
    if (!m_edit->KeepsVisibleWidth(after)) return Invalid;
    input = after;
    if (pos > input.size()) pos = static_cast<int>(input.size());
    return Acceptable;
}

int CDlgEdit::VisibleTextWidth() const {
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QRect contents =
        style()->subElementRect(QStyle::SE_LineEditContents, &option, this).marginsRemoved(textMargins());
    // The line edit keeps 2 pixels free on either side and draws the caret
    // in 1 pixel behind the text; a wider text starts to scroll.
    return contents.width() - 2 * 2 - 1;
}

bool CDlgEdit::KeepsVisibleWidth(const QString& after) const {
    if (!m_stopAtVisibleWidth) return true;
    const QFontMetrics metrics = fontMetrics();
    return FitsVisibleWidth(metrics.horizontalAdvance(m_lastText), metrics.horizontalAdvance(after),
                            VisibleTextWidth());
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
