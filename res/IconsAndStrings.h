// String table and icons.
#pragma once

#include <QImage>
#include <QPixmap>
#include <QString>

// The string with this id; empty when there is none.
QString LoadResString(int id);

// Icon 128 (application), 134 (connected) or 135 (disconnected) as a 32 x 32
// pixmap; a null pixmap for any other id. Needs a QGuiApplication.
QPixmap LoadIconPixmap(int id);

// Icon 128 drawn at size x size pixels, for the desktop's icon files; needs
// no application object.
QImage AppIconImage(int size);
