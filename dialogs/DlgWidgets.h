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
// that a text set by the program is not held to. A paste longer than the
// room left is cut to the limit. A read-only edit shows the system's face
// colour behind its text, whatever palette it is given; an editable one the
// system's field colour.
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

protected:
    void changeEvent(QEvent* e) override;

private:
    // The background of the read-only or editable face, in every colour group.
    void ShowFace();

    class RuleValidator : public QValidator {
    public:
        explicit RuleValidator(CDlgEdit* edit) : QValidator(edit), m_edit(edit) {}
        State validate(QString& input, int& pos) const override;

    private:
        CDlgEdit* m_edit;
    };

    // Whether a change from the current text to after keeps to the width.
    bool KeepsVisibleWidth(const QString& after) const;
    // Cuts what a change inserted into the text until the text keeps the
    // visible width; false when not one inserted character fits.
    bool CutToVisibleWidth(QString* after, int* cursor) const;

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
// Keyboard: the arrow keys move the focus to the previous or next enabled
// radio of the group (round the end) and click it unless it is checked
// already; Tab enters a group at its checked radio (the first enabled one
// when none is checked), the group's only tab stop.
class CAutoRadioButton : public QRadioButton {
    Q_OBJECT

public:
    explicit CAutoRadioButton(const QString& text, QWidget* parent = nullptr);
    // The radios of this one's group in tab order, this one among them.
    void SetGroup(std::shared_ptr<RadioGroup> group);
    // A group whose radios all have this off is passed by Tab.
    void SetTabStop(bool on);

protected:
    void nextCheckState() override;
    void keyPressEvent(QKeyEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    // The radio an arrow key moves to: step -1 or +1 through the group.
    CAutoRadioButton* NextInGroup(int step) const;
    // Gives the tab stop to the radio Tab enters the group at.
    void UpdateGroupTabStop();

    std::shared_ptr<RadioGroup> m_group;
    bool m_bTabStop = true;
};
