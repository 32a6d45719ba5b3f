// Text that reads in any theme: rendered under a light palette and under a
// dark one, the main dialog with each of the seven option pages shows every
// label, group box title, button, radio, check box, edit and drop-down list
// at a contrast of at least 4.5:1 between its text and what is behind it,
// measured on the rendered pixels. Disabled controls are dimmed on purpose
// (the contrast rules leave them out), but their text must still show.
#include "DialogFixture.h"
#include "FacePalette.h"
#include "Globals.h"
#include "HexEditBase.h"
#include "MyStatusBar.h"
#include "QtEngineHost.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Disabled text must not vanish into its face.
constexpr double kDisabledContrast = 1.5;

// The "darker" scheme of a common Qt colour-scheme tool, role by role in
// QPalette::ColorRole order (WindowText .. PlaceholderText).
QPalette DarkPalette() {
    const char* active[] = {"#ffffff", "#424245", "#979797", "#5e5c5b", "#302f2e", "#4a4947", "#ffffff",
                            "#ffffff", "#ffffff", "#3d3d3d", "#222020", "#e7e4e0", "#12608a", "#f9f9f9",
                            "#0986d3", "#a70b06", "#5c5b5a", "#ffffff", "#3f3f36", "#ffffff", "#80ffffff"};
    const char* disabled[] = {"#808080", "#424245", "#979797", "#5e5c5b", "#302f2e", "#4a4947", "#808080",
                              "#ffffff", "#808080", "#3d3d3d", "#222020", "#e7e4e0", "#12608a", "#808080",
                              "#0986d3", "#a70b06", "#5c5b5a", "#ffffff", "#3f3f36", "#ffffff", "#80ffffff"};
    QPalette p;
    for (int role = 0; role < 21; ++role) {
        const auto r = static_cast<QPalette::ColorRole>(role);
        if (r == QPalette::NoRole) continue;
        p.setColor(QPalette::Active, r, QColor(QString::fromLatin1(active[role])));
        p.setColor(QPalette::Inactive, r, QColor(QString::fromLatin1(active[role])));
        p.setColor(QPalette::Disabled, r, QColor(QString::fromLatin1(disabled[role])));
    }
    return p;
}

struct NamedPalette {
    const char* name;
    QPalette palette;
};

// The style's own light palette, and the dark one.
std::vector<NamedPalette> Palettes() {
    TestApplication();
    return {{"light", QApplication::style()->standardPalette()}, {"dark", DarkPalette()}};
}

// Where a control draws its text, in its own coordinates; nothing for a
// control that shows no text.
std::optional<QRect> TextArea(QWidget* w) {
    if (auto* hex = qobject_cast<CHexEditBase*>(w)) return hex->viewport()->geometry();
    if (auto* label = qobject_cast<QLabel*>(w)) {
        if (label->text().isEmpty()) return std::nullopt;
        return label->contentsRect();
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        if (group->title().isEmpty()) return std::nullopt;
        // The title stands in the band above the frame.
        const QFontMetrics fm = group->fontMetrics();
        return QRect(0, 0, std::min(group->width(), fm.horizontalAdvance(group->title()) + 16), fm.height());
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (button->text().isEmpty()) return std::nullopt;
        QStyleOptionButton o;
        o.initFrom(button);
        o.text = button->text();
        if (qobject_cast<QCheckBox*>(w)) return w->style()->subElementRect(QStyle::SE_CheckBoxContents, &o, w);
        if (qobject_cast<QRadioButton*>(w)) return w->style()->subElementRect(QStyle::SE_RadioButtonContents, &o, w);
        return w->rect().adjusted(4, 4, -4, -4);  // inside the bevel
    }
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        if (edit->text().isEmpty()) return std::nullopt;
        return w->rect().adjusted(3, 3, -3, -3);  // inside the frame
    }
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->currentText().isEmpty()) return std::nullopt;
        QStyleOptionComboBox o;
        o.initFrom(combo);
        o.currentText = combo->currentText();
        return w->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, w);
    }
    return std::nullopt;
}

struct Reading {
    QColor behind;  // the colour most of the area shows
    QColor text;    // of the colours shown at least twice, the one that stands out most
    double contrast = 1;
};

Reading Read(const QImage& image, const QRect& area) {
    std::map<QRgb, int> counts;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) ++counts[image.pixel(x, y) | 0xFF000000u];
    Reading reading;
    int most = 0;
    for (const auto& [rgb, n] : counts)
        if (n > most) most = n, reading.behind = QColor(rgb);
    reading.text = reading.behind;
    for (const auto& [rgb, n] : counts) {
        const double c = ContrastRatio(QColor(rgb), reading.behind);
        if (n >= 2 && c > reading.contrast) reading.contrast = c, reading.text = QColor(rgb);
    }
    return reading;
}

class Contrast : public DialogFixture<CQtEngineHost> {
protected:
    void TearDown() override {
        DialogFixture::TearDown();
        QApplication::setPalette(m_original);
        QApplication::setFont(m_originalFont);
    }

    // Checks every control of the main dialog and of the page of chip-type
    // row `row` under palette; the failures, one line each.
    // Opens the main dialog on chip-type row `row` under palette, text
    // drawn without antialiasing: every pixel of a glyph then shows the
    // text's own colour, thin strokes too.
    void OpenUnder(const QPalette& palette, int row) {
        QApplication::setPalette(palette);
        QFont font = m_originalFont;
        font.setStyleStrategy(QFont::NoAntialias);
        QApplication::setFont(font);
        Open(row);
    }

    std::string CheckRow(const QPalette& palette, int row) {
        OpenUnder(palette, row);
        const QImage image = dlg->grab().toImage();
        std::ostringstream failures;
        std::vector<BuiltControl> controls = dlg->Controls();
        for (const BuiltControl& c : g_pCurPage->GetWnd()->Controls()) controls.push_back(c);
        int measured = 0;
        for (const BuiltControl& c : controls) {
            if (!c.widget->isVisible()) continue;
            const std::optional<QRect> area = TextArea(c.widget);
            if (!area) continue;
            ++measured;
            const Reading r = Read(image, QRect(c.widget->mapTo(dlg.get(), area->topLeft()), area->size()));
            const bool enabled = c.widget->isEnabled();
            if (r.contrast >= (enabled ? kReadableContrast : kDisabledContrast)) continue;
            failures << "row " << row << " control " << c.id << " " << c.widget->metaObject()->className()
                     << (enabled ? "" : " (disabled)") << ": " << r.text.name().toStdString() << " on "
                     << r.behind.name().toStdString() << " = " << r.contrast << "\n";
        }
        if (measured < 12) failures << "row " << row << ": only " << measured << " controls measured\n";
        return failures.str();
    }

    QPalette m_original = QApplication::palette();
    QFont m_originalFont = QApplication::font();
};

}  // namespace

TEST(ContrastRatio, OfKnownPairs) {
    const struct {
        const char* a;
        const char* b;
        double ratio;
    } cases[] = {
        {"#000000", "#ffffff", 21.0}, {"#ffffff", "#000000", 21.0}, {"#ffffff", "#ffffff", 1.0},
        {"#ff0000", "#ffffff", 3.998}, {"#008000", "#ffffff", 5.137}, {"#767676", "#ffffff", 4.542},
        {"#777777", "#ffffff", 4.478}, {"#bebebe", "#efefef", 1.616},
    };
    for (const auto& c : cases)
        EXPECT_NEAR(ContrastRatio(QColor(QString::fromLatin1(c.a)), QColor(QString::fromLatin1(c.b))), c.ratio, 0.001)
            << c.a << " on " << c.b;
}

// The window text of a palette on a fixed face: its own where it reads on
// the face (disabled text and all), else black or white with disabled text
// halfway to the face; the face itself in every group.
TEST(PaletteOnFace, KeepsTextThatReadsElseTakesBlackOrWhite) {
    const struct {
        const char* what;
        const char* face;
        const char* text;
        const char* disabledText;
        const char* shownText;
        const char* shownDisabled;
    } cases[] = {
        {"light palette, white face", "#ffffff", "#000000", "#bebebe", "#000000", "#bebebe"},
        {"dark palette, white face", "#ffffff", "#ffffff", "#808080", "#000000", "#7f7f7f"},
        {"grey text that just reads", "#ffffff", "#767676", "#cccccc", "#767676", "#cccccc"},
        {"grey text that just fails", "#ffffff", "#777777", "#cccccc", "#000000", "#7f7f7f"},
        {"light palette, dark face", "#202020", "#000000", "#bebebe", "#ffffff", "#8f8f8f"},
    };
    for (const auto& c : cases) {
        QPalette p;
        p.setColor(QPalette::WindowText, QColor(QString::fromLatin1(c.text)));
        p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(QString::fromLatin1(c.disabledText)));
        p.setColor(QPalette::Text, QColor(0x12, 0x34, 0x56));
        const QColor face(QString::fromLatin1(c.face));
        const QPalette on = PaletteOnFace(p, face);
        EXPECT_EQ(on.color(QPalette::Active, QPalette::WindowText).name(), QString::fromLatin1(c.shownText)) << c.what;
        EXPECT_EQ(on.color(QPalette::Inactive, QPalette::WindowText).name(), QString::fromLatin1(c.shownText)) << c.what;
        EXPECT_EQ(on.color(QPalette::Disabled, QPalette::WindowText).name(), QString::fromLatin1(c.shownDisabled))
            << c.what;
        for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            EXPECT_EQ(on.color(g, QPalette::Window), face) << c.what;
            EXPECT_EQ(on.color(g, QPalette::Text), QColor(0x12, 0x34, 0x56)) << c.what << ": edits keep theirs";
        }
    }
}

// Pane 0 shows the status colours on a face of their own only where the
// bar's face is dark: the side black or white text reads better on.
TEST(StatusTextFace, WhiteOnlyBehindADarkBar) {
    const struct {
        const char* bar;
        bool white;
    } cases[] = {{"#efefef", false}, {"#ffffff", false}, {"#767676", false},
                 {"#737373", true},  {"#222020", true},  {"#000000", true}};
    for (const auto& c : cases) {
        const QColor face = StatusTextFace(QColor(QString::fromLatin1(c.bar)));
        EXPECT_EQ(face.isValid(), c.white) << c.bar;
        if (c.white) {
            EXPECT_EQ(face, QColor(Qt::white)) << c.bar;
        }
    }
}

TEST_F(Contrast, EveryTextReadsOnWhatIsBehindItUnderALightAndADarkPalette) {
    const auto palettes = Palettes();
    ASSERT_GT(RelativeLuminance(palettes[0].palette.color(QPalette::Window)), 0.5);
    ASSERT_LT(RelativeLuminance(palettes[1].palette.color(QPalette::Window)), 0.1);
    for (const auto& p : palettes)
        for (int row = 0; row < CHIP_TYPE_COUNT; ++row) EXPECT_EQ(CheckRow(p.palette, row), "") << p.name;
}

// The status colours read on their face in a dark palette at least as well
// as on the light palette's own face, which they were chosen for.
TEST_F(Contrast, StatusTextsReadAsOnALightFace) {
    const auto palettes = Palettes();
    const QColor lightFace = palettes[0].palette.color(QPalette::Window);
    for (const auto& p : palettes) {
        for (COLORREF colour : {STATUS_GREEN, STATUS_RED}) {
            OpenUnder(p.palette, ROW_VQ7140S);
            g_statusBar.SetStatusText(QStringLiteral("Disconnected!"), colour);
            const QImage image = g_statusBar.GetWnd()->grab().toImage();
            const Reading r = Read(image, g_statusBar.GetItemRect(0));
            EXPECT_EQ(r.text, ColorFromColorref(colour)) << p.name;
            EXPECT_GE(r.contrast, ContrastRatio(ColorFromColorref(colour), lightFace) - 0.01)
                << p.name << ": " << r.text.name().toStdString() << " on " << r.behind.name().toStdString();
        }
    }
}
