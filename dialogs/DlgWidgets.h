// The widgets a template's edits and radios become: an edit whose typing
// rules bind the user but not the program, and a radio that checks itself.
#pragma once

#include "EditRules.h"

#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
#include <QValidator>

#include <memory>
#include <vector>

// Single-line edit with typing rules (capitals, digits only, text limit)
// that a text set by the program is not held to.
class CDlgEdit : public QLineEdit {
    Q_OBJECT

public:
    explicit CDlgEdit(QWidget* parent = nullptr);

    void SetRules(const EditInputRules& rules) { m_rules = rules; }
    const EditInputRules& Rules() const { return m_rules; }
    void SetLimitText(int limit) { m_rules.limit = limit; }
    // Sets the text as the program does: no typing rule applies.
    void SetTextFromProgram(const QString& text);
    // Without automatic horizontal scroll: typing stops where the text would
    // no longer fit into the visible width.
    void SetStopAtVisibleWidth(bool stop) { m_stopAtVisibleWidth = stop; }
    bool StopsAtVisibleWidth() const { return m_stopAtVisibleWidth; }
    // Pixels a text may take without scrolling out of view.
    int VisibleTextWidth() const;

private:
    class RuleValidator : public QValidator {
    public:
        explicit RuleValidator(CDlgEdit* edit) : QValidator(edit), m_edit(edit) {}
        State validate(QString& input, int& pos) const override;

    private:
        CDlgEdit* m_edit;
    };

    // Whether a change from the current text to after keeps to the width.
    bool KeepsVisibleWidth(const QString& after) const;

    EditInputRules m_rules;
    bool m_stopAtVisibleWidth = false;
    QString m_lastText;  // the text before the change being validated
    bool m_programSet = false;
};

class CAutoRadioButton;
using RadioGroup = std::vector<QPointer<CAutoRadioButton>>;

// Self-checking radio button: a click checks it and unchecks the other
// radios of its group; setting the check from the program touches only
// this button, and any button of a group may be unchecked.
class CAutoRadioButton : public QRadioButton {
    Q_OBJECT

public:
    explicit CAutoRadioButton(const QString& text, QWidget* parent = nullptr);
    void SetGroup(std::shared_ptr<RadioGroup> group) { m_group = std::move(group); }

protected:
    void nextCheckState() override;

private:
    std::shared_ptr<RadioGroup> m_group;
};
