// What a drop onto the window opens: the pure rule, outside the window.
#pragma once

#include <QList>
#include <QString>
#include <QUrl>

#include <optional>

// The file a drop of urls opens: exactly one local file that exists, is
// not a folder and is named .hex or .bin (in any case). Nothing for any
// other drop: none or several items, a folder, another name, a file that
// is not on this machine or not there.
std::optional<QString> DroppedImageFile(const QList<QUrl>& urls);
