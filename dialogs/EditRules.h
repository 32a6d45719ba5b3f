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

// Checks a change of the text from `before` to `*after` made by the user,
// with the cursor at *cursor after it (the end of what was typed or pasted;
// nullptr: not known). Returns false when the change is refused; may
// rewrite *after (capitals, a paste cut to the limit) and *cursor.
// A text that is already over the limit or holds non-digits (set by the
// program) can still be shortened. A paste that would run over the limit
// keeps as many of its first characters as fit; a typed character that
// does not fit is refused, and so is anything with a non-digit in a
// digits-only edit.
bool ApplyEditInputRules(const EditInputRules& rules, const QString& before, QString* after, int* cursor = nullptr);

// Cuts what a change inserted into `before` so that *after holds at most
// `limit` characters (never fewer than the change left of `before`).
// *cursor, when known, stands right after the insertion and is moved with
// the cut. Returns the number of inserted characters kept.
qsizetype CutInsertionToLimit(int limit, const QString& before, QString* after, int* cursor);

// An edit without automatic horizontal scroll takes a change of its text
// from beforeWidth to afterWidth pixels only when the new text fits into the
// visible width, or grows no wider (a wider text set by the program can
// still be shortened).
bool FitsVisibleWidth(int beforeWidth, int afterWidth, int visibleWidth);
