// The typing rules of a single-line edit, as a pure function: capitals only,
// digits only and the text limit apply to what the user types or pastes,
// never to a text the program sets.
#pragma once

#include <QString>

struct EditInputRules {
    int limit = 0;            // 0: no limit
    bool upperCase = false;   // letters become capitals
    bool digitsOnly = false;  // no other character can be typed
};

// Checks a change of the text from `before` to `*after` made by the user.
// Returns false when the change is refused; may rewrite *after (capitals).
// A text that is already over the limit or holds non-digits (set by the
// program) can still be shortened.
bool ApplyEditInputRules(const EditInputRules& rules, const QString& before, QString* after);

// An edit without automatic horizontal scroll takes a change of its text
// from beforeWidth to afterWidth pixels only when the new text fits into the
// visible width, or grows no wider (a wider text set by the program can
// still be shortened).
bool FitsVisibleWidth(int beforeWidth, int afterWidth, int visibleWidth);
