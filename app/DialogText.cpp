#include "DialogText.h"

QString VersionText(const BYTE bytes[4]) {
    return QString::asprintf("%02d%02d%02d%02d", bytes[0], bytes[1], bytes[2], bytes[3]);
}

bool VersionBytesFromText(const QString& text, BYTE out[4]) {
    for (QChar c : text)
        if (c < u'0' || c > u'9') return false;
    if (text.size() > 8) return false;
    DWORD n = 0;
    for (QChar c : text) n = n * 10 + static_cast<DWORD>(c.unicode() - u'0');
    out[0] = static_cast<BYTE>((n / 1000000) % 100);
    out[1] = static_cast<BYTE>((n / 10000) % 100);
    out[2] = static_cast<BYTE>((n / 100) % 100);
    out[3] = static_cast<BYTE>(n % 100);
    return true;
}

QString CodeLengthText(WORD codeLen) { return QString::asprintf("%d", codeLen); }

QString ChecksumText(WORD checksum) { return QString::asprintf("%04X", checksum); }
