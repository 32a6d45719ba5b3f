// The port path shown for a device in the device list, made from the
// location text of its USB device; and the hexadecimal reading it shares
// with the read-length edit.
#pragma once

#include <QString>

// Fields 3 to 8 of a '.'-separated location text, each read as hexadecimal
// from a three-character piece and written in decimal, joined by '-':
// "0000.0014.0000.001.003.000.000.000.000" gives "1-3-0-0-0-0". A text of
// fewer than four fields gives an empty path; a shorter text ends in '-'.
QString FormatPortPath(const QString& location);

// The text read as the C library reads a hexadecimal number (ScanHex of the
// option pages), taken as a signed 32-bit one.
int ScanHex32(const QString& text);
