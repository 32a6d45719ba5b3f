// The port path shown for a device in the device list, made from the
// location text of its USB device.
#pragma once

#include <QString>

// Fields 3 to 8 of a '.'-separated location text, each read as hexadecimal
// from a three-character piece and written in decimal, joined by '-':
// "0000.0014.0000.001.003.000.000.000.000" gives "1-3-0-0-0-0". A text of
// fewer than four fields gives an empty path; a shorter text ends in '-'.
QString FormatPortPath(const QString& location);
