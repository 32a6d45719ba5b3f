#include "Jobs.h"

#include "PageRules.h"
#include "ResourceIds.h"
#include "VQPatch.h"

#include <algorithm>

QString BusyText(JobKind kind) {
    return kind == JobKind::Download ? QStringLiteral("Downloading, please wait!")
                                     : QStringLiteral("Reading, please wait!");
}

std::span<const int> ControlsDisabledBy(JobKind kind) {
    static constexpr int download[] = {IDC_READ,         IDC_SAVE_TO_BIN, IDC_CHIP_TYPE,   IDC_OPEN_FILE,
                                       IDC_VERSION,      IDC_CONNECT,     IDC_RADIO_24C01, IDC_RADIO_24C32,
                                       IDC_RADIO_FLASH,  IDC_DEVICE,      IDC_MODIFY_LENGTH};
    static constexpr int read[] = {IDC_DOWNLOAD,    IDC_SAVE_TO_BIN, IDC_CHIP_TYPE,   IDC_OPEN_FILE,
                                   IDC_VERSION,     IDC_CONNECT,     IDC_RADIO_24C01, IDC_RADIO_24C32,
                                   IDC_RADIO_FLASH, IDC_DEVICE,      IDC_MODIFY_LENGTH, IDC_READ_LENGTH};
    if (kind == JobKind::Download) return download;
    return read;
}

std::span<const int> ControlsEnabledAfterJob() {
    static constexpr int ids[] = {IDC_DOWNLOAD, IDC_READ,    IDC_SAVE_TO_BIN, IDC_CHIP_TYPE,    IDC_OPEN_FILE,
                                  IDC_VERSION,  IDC_CONNECT, IDC_DEVICE,      IDC_MODIFY_LENGTH};
    return ids;
}

QString DeviceListEntry(int number, const QString& portPath) {
    return QString::asprintf(" %d. [", number) + portPath + QLatin1Char(']');
}

DWORD ReadLengthForJob(DWORD readLen) { return std::min<DWORD>(readLen, IMAGE_BUFFER_SIZE); }

ReadLengthVerdict CheckReadLength(const QString& text) {
    const int n = ScanHex32(text);
    const bool allHex = std::all_of(text.begin(), text.end(),
                                    [](QChar c) { return (c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'F'); });
    if (!allHex) return {ReadLengthVerdict::Invalid, 0, QString::asprintf("%X", static_cast<unsigned>(n))};
    if (n < 0) return {ReadLengthVerdict::Replace, 0, QStringLiteral("0")};
    if (static_cast<DWORD>(n) <= READ_LENGTH_MAX) return {ReadLengthVerdict::Store, static_cast<DWORD>(n), {}};
    return {ReadLengthVerdict::Replace, 0, QString::asprintf("%X", READ_LENGTH_MAX)};
}
