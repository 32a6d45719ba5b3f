#include "DlgWidgets.h"

#include <QGuiApplication>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QKeyEvent>

#include <algorithm>

CDlgEdit::CDlgEdit(QWidget* parent) : QLineEdit(parent) {
    setValidator(new RuleValidator(this));
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) { m_lastText = text; });
}

void CDlgEdit::changeEvent(QEvent* e) {
    QLineEdit::changeEvent(e);
    if (e->type() == QEvent::ReadOnlyChange || e->type() == QEvent::PaletteChange) ShowFace();
}

void CDlgEdit::ShowFace() {
    const QPalette system = QGuiApplication::palette();
    const QPalette::ColorRole face = isReadOnly() ? QPalette::Button : QPalette::Base;
    QPalette pal = palette();
    bool changed = false;
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        if (pal.color(group, QPalette::Base) == system.color(group, face)) continue;
        pal.setColor(group, QPalette::Base, system.color(group, face));
        changed = true;
    }
    if (changed) setPalette(pal);  // runs this again, which then finds nothing to change
}

void CDlgEdit::SetTextFromProgram(const QString& text) {
    m_programSet = true;
    setText(text);
    m_programSet = false;
}

QValidator::State CDlgEdit::RuleValidator::validate(QString& input, int& pos) const {
    if (m_edit->m_programSet) return Acceptable;
    QString after = input;
    int cursor = pos;
    if (!ApplyEditInputRules(m_edit->m_rules, m_edit->m_lastText, &after, &cursor)) return Invalid;
    if (!m_edit->KeepsVisibleWidth(after) && !m_edit->CutToVisibleWidth(&after, &cursor)) return Invalid;
    input = after;
    pos = std::min(cursor, static_cast<int>(input.size()));
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
    // Every change of a check, the program's too, moves the group's tab stop.
    connect(this, &QAbstractButton::toggled, this, [this] { UpdateGroupTabStop(); });
}

void CAutoRadioButton::SetGroup(std::shared_ptr<RadioGroup> group) {
    m_group = std::move(group);
    UpdateGroupTabStop();
}

void CAutoRadioButton::keyPressEvent(QKeyEvent* e) {
    int step = 0;
    switch (e->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up: step = -1; break;
    case Qt::Key_Right:
    case Qt::Key_Down: step = 1; break;
    default: QRadioButton::keyPressEvent(e); return;
    }
    e->accept();
    CAutoRadioButton* next = NextInGroup(step);
    if (!next) return;
    next->setFocus(Qt::OtherFocusReason);
    if (!next->isChecked()) next->click();  // checks it and runs its click handler
}

void CAutoRadioButton::changeEvent(QEvent* e) {
    QRadioButton::changeEvent(e);
    if (e->type() == QEvent::EnabledChange) UpdateGroupTabStop();
}

CAutoRadioButton* CAutoRadioButton::NextInGroup(int step) const {
    if (!m_group) return nullptr;
    const RadioGroup& g = *m_group;
    const auto n = static_cast<std::ptrdiff_t>(g.size());
    const auto self = std::find(g.begin(), g.end(), this) - g.begin();
    if (self == n) return nullptr;
    for (std::ptrdiff_t k = 1; k < n; ++k) {
        CAutoRadioButton* r = g[static_cast<std::size_t>(((self + step * k) % n + n) % n)];
        if (r && r->isEnabled() && !r->isHidden()) return r;
    }
    return nullptr;
}

void CAutoRadioButton::SetTabStop(bool on) {
    m_bTabStop = on;
    if (!on) setFocusPolicy(Qt::FocusPolicy(focusPolicy() & ~Qt::TabFocus));
    UpdateGroupTabStop();
}

void CAutoRadioButton::UpdateGroupTabStop() {
    if (!m_group) return;
    const bool groupTakesTab = std::any_of(m_group->begin(), m_group->end(),
                                           [](const QPointer<CAutoRadioButton>& r) { return r && r->m_bTabStop; });
    if (!groupTakesTab) return;
    CAutoRadioButton* stop = nullptr;
    for (const QPointer<CAutoRadioButton>& r : *m_group)
        if (r && r->isChecked() && r->isEnabledTo(r->parentWidget())) stop = r;
    for (const QPointer<CAutoRadioButton>& r : *m_group)
        if (!stop && r && r->isEnabledTo(r->parentWidget())) stop = r;
    if (!stop && !m_group->empty()) stop = m_group->front();
    for (const QPointer<CAutoRadioButton>& r : *m_group) {
        if (!r) continue;
        const Qt::FocusPolicy policy =
            r == stop ? Qt::FocusPolicy(r->focusPolicy() | Qt::TabFocus) : Qt::FocusPolicy(r->focusPolicy() & ~Qt::TabFocus);
        r->setFocusPolicy(policy);
    }
}

void CAutoRadioButton::nextCheckState() {
    if (m_group) {
        for (const QPointer<CAutoRadioButton>& other : *m_group)
            if (other && other != this) other->setChecked(false);
    }
    setChecked(true);
}

bool CDlgEdit::CutToVisibleWidth(QString* after, int* cursor) const {
    // The width grows with the characters kept: the most that fit, by
    // halving the character limit.
    int fits = 0;
    QString best;
    int bestCursor = *cursor;
    for (int low = 1, high = static_cast<int>(after->size()) - 1; low <= high;) {
        const int limit = low + (high - low) / 2;
        QString trial = *after;
        int trialCursor = *cursor;
        const qsizetype kept = CutInsertionToLimit(limit, m_lastText, &trial, &trialCursor);
        if (kept == 0) {
            low = limit + 1;  // no room left for the insertion at all
        } else if (KeepsVisibleWidth(trial)) {
            fits = limit;
            best = std::move(trial);
            bestCursor = trialCursor;
            low = limit + 1;
        } else {
            high = limit - 1;
        }
    }
    if (fits == 0) return false;
    *after = std::move(best);
    *cursor = bestCursor;
    return true;
}
