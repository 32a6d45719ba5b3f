// Texts of the main dialog's image information, as pure functions.
#pragma once

#include "WinTypes.h"

#include <QString>

// Four version bytes as "%02d%02d%02d%02d" (a byte above 99 takes three digits).
QString VersionText(const BYTE bytes[4]);

// The version bytes a text of the version edit stands for: eight decimal
// digits, two per byte (year, month, day, hour), missing leading digits
// counting as 0; an empty text gives 0, 0, 0, 0. False, with out unchanged,
// when a character is not a digit, or when the text has more than eight
// digits (the tool's own text for bytes above 99, which no four bytes of
// two digits can hold).
bool VersionBytesFromText(const QString& text, BYTE out[4]);

// "Code length(Dec):" and "Check Sum(Hex):".
QString CodeLengthText(WORD codeLen);
QString ChecksumText(WORD checksum);
