#include "PortPath.h"

#include "PageRules.h"

#include <cstdint>
#include <vector>

QString FormatPortPath(const QString& location) {
    constexpr qsizetype kFirst = 3;
    constexpr qsizetype kLast = 8;
    std::vector<qsizetype> starts{0};
    for (qsizetype i = 0; i < location.size(); ++i)
        if (location[i] == u'.') starts.push_back(i + 1);
    const qsizetype fields = static_cast<qsizetype>(starts.size());

    QString path;
    for (qsizetype k = kFirst; k <= kLast && k < fields; ++k) {
        const qsizetype start = starts[static_cast<size_t>(k)];
        QString piece;
        if (k + 1 < fields) {
            // The three characters before the field's '.'; a shorter field
            // gives three characters from its start, over the '.'.
            const qsizetype dot = starts[static_cast<size_t>(k + 1)] - 1;
            piece = location.mid(dot - start >= 3 ? dot - 3 : start, 3);
        } else {
            piece = location.mid(start, 3);
        }
        path += QString::number(ScanHex32(piece));
        if (k < kLast) path += u'-';
    }
    return path;
}
