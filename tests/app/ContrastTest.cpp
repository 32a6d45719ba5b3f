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

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QStyleOptionComboBox>

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <sstream>

namespace {

constexpr double kDisabledContrast = 1.5;  // dimmed, not gone

// The "darker" scheme of a common Qt colour-scheme tool, in QPalette::ColorRole
// order (WindowText .. PlaceholderText), active and inactive, then disabled.
QPalette DarkPalette() {
    const QStringList active = QStringLiteral(
        "#fff #424245 #979797 #5e5c5b #302f2e #4a4947 #fff #fff #fff #3d3d3d #222020 #e7e4e0 #12608a #f9f9f9 "
        "#0986d3 #a70b06 #5c5b5a #fff #3f3f36 #fff #80ffffff").split(QLatin1Char(' '));
    QStringList disabled = active;
    for (int role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::HighlightedText})
        disabled[role] = QStringLiteral("#808080");
    QPalette p;
    for (int role = 0; role < active.size(); ++role) {
        if (role == QPalette::NoRole) continue;
        const auto r = static_cast<QPalette::ColorRole>(role);
        p.setColor(QPalette::Active, r, QColor(active[role]));
        p.setColor(QPalette::Inactive, r, QColor(active[role]));
        p.setColor(QPalette::Disabled, r, QColor(disabled[role]));
    }
    return p;
}

// The style's own light palette, and the dark one.
std::vector<std::pair<const char*, QPalette>> Palettes() {
    TestApplication();
    return {{"light", QApplication::style()->standardPalette()}, {"dark", DarkPalette()}};
}

// Where a control draws its text, in its own coordinates; nothing for one
// that shows no text.
std::optional<QRect> TextArea(QWidget* w) {
    if (auto* hex = qobject_cast<CHexEditBase*>(w)) return hex->viewport()->geometry();
    if (auto* label = qobject_cast<QLabel*>(w)) return label->text().isEmpty() ? std::nullopt : std::optional(label->contentsRect());
    if (auto* group = qobject_cast<QGroupBox*>(w)) {  // the title, in the band above the frame
        if (group->title().isEmpty()) return std::nullopt;
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
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text().isEmpty() ? std::nullopt : std::optional(w->rect().adjusted(3, 3, -3, -3));
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->currentText().isEmpty()) return std::nullopt;
        QStyleOptionComboBox o;
        o.initFrom(combo);
        return w->style()->subControlRect(QStyle::CC_ComboBox, &o, QStyle::SC_ComboBoxEditField, w);
    }
    return std::nullopt;
}

// What an area shows: the colour most of it has, and of the colours shown
// at least twice the one that stands out most from it, with their contrast.
struct Reading {
    QColor behind, text;
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
        if (n > most) most = n, reading.behind = reading.text = QColor(rgb);
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
        QApplication::setPalette(m_palette);
        QApplication::setFont(m_font);
    }

    // Opens the main dialog on chip-type row `row` under palette, text drawn
    // without antialiasing: every pixel of a glyph shows the text's colour.
    void OpenUnder(const QPalette& palette, int row) {
        QApplication::setPalette(palette);
        QFont font = m_font;
        font.setStyleStrategy(QFont::NoAntialias);
        QApplication::setFont(font);
        Open(row);
    }

    std::string CheckRow(const QPalette& palette, int row) {
        OpenUnder(palette, row);
        return Measure(row);
    }

    // Every control of the open main dialog and of the row's page; one line
    // per failure.
    std::string Measure(int row) {
        const QImage image = dlg->grab().toImage();
        std::vector<BuiltControl> controls = dlg->Controls();
        for (const BuiltControl& c : g_pCurPage->GetWnd()->Controls()) controls.push_back(c);
        std::ostringstream failures;
        int measured = 0;
        for (const BuiltControl& c : controls) {
            const std::optional<QRect> area = c.widget->isVisible() ? TextArea(c.widget) : std::nullopt;
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

    QPalette m_palette = QApplication::palette();
    QFont m_font = QApplication::font();
};

}  // namespace

TEST(ContrastRatio, OfKnownPairs) {
    const struct {
        const char *a, *b;
        double ratio;
    } cases[] = {{"#000000", "#ffffff", 21.0}, {"#ffffff", "#000000", 21.0}, {"#ffffff", "#ffffff", 1.0},
                 {"#ff0000", "#ffffff", 3.998}, {"#008000", "#ffffff", 5.137}, {"#767676", "#ffffff", 4.542},
                 {"#777777", "#ffffff", 4.478}, {"#bebebe", "#efefef", 1.616}};
    for (const auto& c : cases)
        EXPECT_NEAR(ContrastRatio(QColor(QLatin1String(c.a)), QColor(QLatin1String(c.b))), c.ratio, 0.001) << c.a << c.b;
}

// A palette's window text on a fixed face: its own where it reads there,
// disabled text and all; else black or white, disabled text halfway to the
// face. The face in every group; edits keep their text.
TEST(PaletteOnFace, KeepsTextThatReadsElseTakesBlackOrWhite) {
    const struct {
        const char *what, *face, *text, *disabled, *shown, *shownDisabled;
    } cases[] = {
        {"light palette, white face", "#ffffff", "#000000", "#bebebe", "#000000", "#bebebe"},
        {"dark palette, white face", "#ffffff", "#ffffff", "#808080", "#000000", "#7f7f7f"},
        {"grey text that just reads", "#ffffff", "#767676", "#cccccc", "#767676", "#cccccc"},
        {"grey text that just fails", "#ffffff", "#777777", "#cccccc", "#000000", "#7f7f7f"},
        {"light palette, dark face", "#202020", "#000000", "#bebebe", "#ffffff", "#8f8f8f"},
    };
    for (const auto& c : cases) {
        QPalette p;
        p.setColor(QPalette::WindowText, QColor(QLatin1String(c.text)));
        p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(QLatin1String(c.disabled)));
        p.setColor(QPalette::Text, Qt::darkCyan);
        const QPalette on = PaletteOnFace(p, QColor(QLatin1String(c.face)));
        for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
            EXPECT_EQ(on.color(g, QPalette::WindowText).name(), QLatin1String(g == QPalette::Disabled ? c.shownDisabled : c.shown))
                << c.what << " group " << g;
            EXPECT_EQ(on.color(g, QPalette::Window).name(), QLatin1String(c.face)) << c.what;
            EXPECT_EQ(on.color(g, QPalette::Text), QColor(Qt::darkCyan)) << c.what;
        }
    }
}

// Pane 0 gets a white face of its own only on a dark bar: one white text
// reads better on than black.
TEST(StatusTextFace, WhiteOnlyBehindADarkBar) {
    for (const auto& [bar, white] : {std::pair{"#efefef", false}, {"#767676", false}, {"#737373", true}, {"#222020", true}})
        EXPECT_EQ(StatusTextFace(QColor(QLatin1String(bar))), white ? QColor(Qt::white) : QColor()) << bar;
}

TEST_F(Contrast, EveryTextReadsOnWhatIsBehindItUnderALightAndADarkPalette) {
    const auto palettes = Palettes();
    ASSERT_GT(RelativeLuminance(palettes[0].second.color(QPalette::Window)), 0.5);
    ASSERT_LT(RelativeLuminance(palettes[1].second.color(QPalette::Window)), 0.1);
    for (const auto& [name, palette] : palettes)
        for (int row = 0; row < CHIP_TYPE_COUNT; ++row) EXPECT_EQ(CheckRow(palette, row), "") << name;
}

// A change of the desktop's colours while the window is open leaves every
// text readable, from light to dark and back.
TEST_F(Contrast, TextsStayReadableWhenThePaletteChangesWhileOpen) {
    const auto palettes = Palettes();
    for (int from : {0, 1}) {
        OpenUnder(palettes[from].second, ROW_VQ7140XX);
        QApplication::setPalette(palettes[1 - from].second);
        QCoreApplication::processEvents();
        EXPECT_EQ(Measure(ROW_VQ7140XX), "") << palettes[from].first << " to " << palettes[1 - from].first;
    }
}

// The status colours read on their face in a dark palette at least as well
// as on the light palette's own face, which they were chosen for.
TEST_F(Contrast, StatusTextsReadAsOnALightFace) {
    const auto palettes = Palettes();
    const QColor lightFace = palettes[0].second.color(QPalette::Window);
    for (const auto& [name, palette] : palettes) {
        for (COLORREF colour : {STATUS_GREEN, STATUS_RED}) {
            OpenUnder(palette, ROW_VQ7140S);
            g_statusBar.SetStatusText(QStringLiteral("Disconnected!"), colour);
            const Reading r = Read(g_statusBar.GetWnd()->grab().toImage(), g_statusBar.GetItemRect(0));
            EXPECT_EQ(r.text, ColorFromColorref(colour)) << name;
            EXPECT_GE(r.contrast, ContrastRatio(ColorFromColorref(colour), lightFace) - 0.01)
                << name << ": " << r.text.name().toStdString() << " on " << r.behind.name().toStdString();
        }
    }
}
