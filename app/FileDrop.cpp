#include "FileDrop.h"

#include <QFileInfo>

std::optional<QString> DroppedImageFile(const QList<QUrl>& urls) {
    if (urls.size() != 1) return std::nullopt;
    // Another machine's file has no local path, and so is no file here.
    const QFileInfo file(urls.front().toLocalFile());
    if (!file.isFile()) return std::nullopt;
    const QString suffix = file.suffix().toLower();
    if (suffix != QLatin1String("hex") && suffix != QLatin1String("bin")) return std::nullopt;
    return file.filePath();
}
