// The glyph cache the hex view paints its rows with.
#pragma once

#include "HexEditBase.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

#include <array>
#include <vector>

// Glyphs of the ASCII characters in the view's font, and the x position of
// every character cell of a row, so a row is drawn with one glyph run on an
// exact grid of the character width.
struct CHexEditBase::GlyphCache {
    QRawFont raw;
    std::array<quint32, 128> glyph{};
    int ascent = 0;
    std::vector<QPointF> positions;
    std::vector<quint32> row;

    void Build(const QFont& font) {
        raw = QRawFont::fromFont(font);
        glyph.fill(0);
        QString chars;
        for (char16_t ch = 0x20; ch < 0x7F; ++ch) chars += QChar(ch);
        const QList<quint32> ids = raw.glyphIndexesForString(chars);
        for (int i = 0; i < ids.size(); ++i) glyph[0x20 + i] = ids[i];
    }
    void SetCharWidth(UINT c) {
        positions.resize(1024);
        for (std::size_t i = 0; i < positions.size(); ++i) positions[i] = QPointF(static_cast<qreal>(i * c), 0);
        row.resize(1024);
    }
    // Draws characters [from, to) of text at the cell grid starting at origin.
    void Draw(QPainter& p, const QPoint& origin, const char* text, int from, int to) {
        if (to <= from) return;
        for (int i = from; i < to; ++i) row[i] = glyph[static_cast<unsigned char>(text[i]) & 0x7F];
        QGlyphRun run;
        run.setRawFont(raw);
        run.setRawData(row.data() + from, positions.data() + from, to - from);
        p.drawGlyphRun(QPointF(origin.x(), origin.y() + ascent), run);
    }
};
