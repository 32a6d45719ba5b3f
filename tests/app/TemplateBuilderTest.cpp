// Templates turned into widgets: kinds, styles, places and tab order.
#include "AppTestEnv.h"
#include "DialogBuilder.h"
#include "DialogWnd.h"
#include "DlgWidgets.h"
#include "HexEditBase.h"
#include "ResourceIds.h"
#include "TessadaneApp.h"
#include "TessadaneDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

class TemplateBuilder : public ::testing::Test, protected WithTestApplication {
protected:
    void SetUp() override {
        TestApplication();
        ASSERT_TRUE(wnd.CreateFromTemplate(IDD_TESSADANE_DIALOG));
    }
    CChildDialogWnd wnd{nullptr};
};

}  // namespace

TEST_F(TemplateBuilder, FontIsTheTemplatesAtTenPoints) {
    EXPECT_EQ(QFontInfo(wnd.font()).family(), QStringLiteral("Liberation Serif"));
    EXPECT_EQ(wnd.font().pixelSize(), 13);
    const DialogBaseUnits u = wnd.BaseUnits();
    EXPECT_EQ(u, MeasureBaseUnits(wnd.font()));
    EXPECT_GE(u.cx, 5);
    EXPECT_LE(u.cx, 8);
    EXPECT_GE(u.cy, 13);
    EXPECT_LE(u.cy, 17);
    EXPECT_EQ(wnd.size(), QSize(MulDiv(426, u.cx, 4), MulDiv(318, u.cy, 8)));
}

TEST_F(TemplateBuilder, ControlsSitWhereTheirDialogUnitsSay) {
    const DialogTemplate& t = *FindDialogTemplate(IDD_TESSADANE_DIALOG);
    ASSERT_EQ(wnd.Controls().size(), t.controls.size());
    for (size_t i = 0; i < t.controls.size(); ++i) {
        const ControlTemplate& c = t.controls[i];
        const BuiltControl& b = wnd.Controls()[i];
        EXPECT_EQ(b.id, c.id);
        EXPECT_EQ(ControlIdOf(b.widget), c.id);
        const PixelRect r = MapDialogRect(c.rect, wnd.BaseUnits());
        const QRect g = b.widget->geometry();
        EXPECT_EQ(g.topLeft(), QPoint(r.x, r.y)) << "control " << i << " id " << c.id;
        if (c.kind == CtlKind::StaticIcon) {
            EXPECT_EQ(g.size(), QSize(32, 32));  // an icon control takes its icon's size
        } else if (c.kind == CtlKind::DropDownList) {
            EXPECT_EQ(g.width(), r.width);
            EXPECT_LE(g.height(), r.height);
        } else {
            EXPECT_EQ(g.size(), QSize(r.width, r.height)) << "control " << i << " id " << c.id;
        }
    }
}

TEST_F(TemplateBuilder, KindsAndStyles) {
    auto* codeLen = wnd.DlgItem<CDlgEdit>(IDC_CODE_LENGTH);
    ASSERT_NE(codeLen, nullptr);
    EXPECT_FALSE(codeLen->isEnabled());
    EXPECT_TRUE(codeLen->alignment() & Qt::AlignRight);

    auto* version = wnd.DlgItem<CDlgEdit>(IDC_VERSION);
    ASSERT_NE(version, nullptr);
    EXPECT_TRUE(version->isEnabled());
    EXPECT_TRUE(version->Rules().digitsOnly);
    EXPECT_TRUE(version->Rules().upperCase);

    auto* devVersion = wnd.DlgItem<CDlgEdit>(IDC_DEVICE_VERSION);
    ASSERT_NE(devVersion, nullptr);
    EXPECT_TRUE(devVersion->isReadOnly());
    EXPECT_FALSE(devVersion->isEnabled());
    EXPECT_FALSE(devVersion->alignment() & Qt::AlignRight);

    EXPECT_NE(wnd.DlgItem<CAutoRadioButton>(IDC_RADIO_24C01), nullptr);
    EXPECT_NE(wnd.DlgItem<CAutoRadioButton>(IDC_RADIO_FLASH), nullptr);
    EXPECT_NE(wnd.DlgItem<QCheckBox>(IDC_MODIFY_LENGTH), nullptr);
    EXPECT_EQ(wnd.DlgItem<QCheckBox>(IDC_MODIFY_LENGTH)->text(), QStringLiteral("Modify  Length(H):"));
    EXPECT_NE(wnd.DlgItem<QComboBox>(IDC_CHIP_TYPE), nullptr);
    EXPECT_EQ(wnd.DlgItem<QPushButton>(IDC_DOWNLOAD)->text(), QStringLiteral("Download"));
    auto* progress = wnd.DlgItem<QProgressBar>(IDC_PROGRESS);
    ASSERT_NE(progress, nullptr);
    EXPECT_EQ(progress->minimum(), 0);
    EXPECT_EQ(progress->maximum(), 100);
    auto* icon = wnd.DlgItem<QLabel>(IDC_CONNECT_ICON);
    ASSERT_NE(icon, nullptr);
    EXPECT_FALSE(icon->pixmap().isNull());
    EXPECT_EQ(wnd.GetDlgItem(IDC_STATIC), nullptr);
    EXPECT_EQ(wnd.GetDlgItem(4242), nullptr);
}

TEST_F(TemplateBuilder, TabOrderFollowsTheTemplate) {
    std::vector<QWidget*> stops;
    for (const BuiltControl& b : wnd.Controls())
        if (b.widget->focusPolicy() & Qt::TabFocus) stops.push_back(b.widget);
    ASSERT_GT(stops.size(), 10u);
    for (size_t i = 0; i + 1 < stops.size(); ++i) {
        QWidget* next = stops[i]->nextInFocusChain();
        while (next && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
        EXPECT_EQ(next, stops[i + 1]) << "after stop " << i << " id " << ControlIdOf(stops[i]);
    }
}

TEST(TemplateBuilderCustom, HexViewClassesComeFromTheHexViewsFactory) {
    TestApplication();
    DialogTemplate t{999, "", "Times New Roman", 10, {0, 0, 100, 80}, 0,
                     {{7, CtlKind::Custom, "", {4, 8, 40, 16}, 0, 0, "CHexEditBase"},
                      {8, CtlKind::Custom, "", {4, 30, 40, 16}, 0, 0, "CHexEditBase_SC"},
                      {9, CtlKind::Custom, "", {4, 52, 40, 16}, 0, 0, "NoSuchClass"}}};
    QWidget host;
    const DialogBaseUnits u{6, 15};
    const auto built = BuildDialogControls(t, &host, u);
    ASSERT_EQ(built.size(), 3u);
    auto* plain = qobject_cast<CHexEditBase*>(built[0].widget);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->m_bAutoDelete, 0);
    auto* superclassed = qobject_cast<CHexEditBase*>(built[1].widget);
    ASSERT_NE(superclassed, nullptr);
    EXPECT_EQ(superclassed->m_bAutoDelete, 1);
    EXPECT_EQ(built[0].widget->parentWidget(), &host);
    EXPECT_EQ(built[0].widget->geometry(), QRect(6, 15, 60, 30));
    ASSERT_NE(built[2].widget, nullptr);  // an unknown class still holds its place
    EXPECT_EQ(qobject_cast<CHexEditBase*>(built[2].widget), nullptr);
    EXPECT_EQ(built[2].widget->geometry(), QRect(6, 98, 60, 30));
}

TEST(TemplateBuilderCustom, AboutBoxTemplate) {
    TestApplication();
    const DialogTemplate* t = FindDialogTemplate(IDD_ABOUTBOX);
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->caption, "About Quillmar");
    ASSERT_EQ(t->controls.size(), 4u);
    EXPECT_STREQ(t->controls[1].text, "Quillmar Version_1.9.13.56");
    EXPECT_EQ(t->controls[3].id, IDOK);
    EXPECT_EQ(t->controls[3].kind, CtlKind::DefPushButton);
    for (int id : {136, 137, 138, 139, 140, 141, 142}) EXPECT_NE(FindDialogTemplate(id), nullptr) << id;
    EXPECT_EQ(FindDialogTemplate(101), nullptr);
}

// The dialogs know no resource: a window takes its template, icons and
// custom controls from what the program handed in, and from nothing else.
TEST(TemplateBuilderCustom, ResourcesComeFromWhatTheProgramHandsIn) {
    TestApplication();
    struct Restore {
        ~Restore() { InstallDialogResources(); }
    } restore;
    static const DialogTemplate t{4711, "", "Times New Roman", 10, {0, 0, 100, 80}, 0,
                                  {{7, CtlKind::StaticIcon, "", {4, 8, 20, 20}, 0, 3},
                                   {8, CtlKind::Custom, "", {4, 30, 40, 16}, 0, 0, "Box"},
                                   {kDlgIdOk, CtlKind::DefPushButton, "OK", {4, 50, 40, 14}}}};
    SetDialogResources({[](int id) { return id == 4711 ? &t : nullptr; },
                        [](int id) { return id == 3 ? QPixmap(12, 10) : QPixmap(); },
                        [](const QString& className, QWidget* parent) -> QWidget* {
                            return className == QLatin1String("Box") ? new QFrame(parent) : nullptr;
                        }});

    CChildDialogWnd wnd{nullptr};
    ASSERT_TRUE(wnd.CreateFromTemplate(4711));
    EXPECT_EQ(wnd.GetDlgItem(7)->size(), QSize(12, 10));  // an icon control takes its icon's size
    EXPECT_NE(qobject_cast<QFrame*>(wnd.GetDlgItem(8)), nullptr);
    EXPECT_EQ(FindDialogTemplate(IDD_ABOUTBOX), nullptr);
    CChildDialogWnd other{nullptr};
    EXPECT_FALSE(other.CreateFromTemplate(IDD_TESSADANE_DIALOG));

    SetDialogResources({});  // nothing handed in: nothing is found
    EXPECT_EQ(FindDialogTemplate(4711), nullptr);
    EXPECT_TRUE(LoadDialogIcon(3).isNull());
    QWidget host;
    EXPECT_EQ(CreateCustomControl(QStringLiteral("Box"), &host), nullptr);
}

// A widget placed for a control is built in the control's place, with its
// styles and tab stop, and nothing of the control's own kind is made; a
// placed widget for an id the template does not have, or for -1, is not used.
TEST(TemplateBuilderPlaced, APlacedWidgetTakesItsControlsPlaceAndStyles) {
    TestApplication();
    using namespace ctlstyle;
    const DialogTemplate t{999, "", "Times New Roman", 10, {0, 0, 100, 80}, 0,
                           {{5, CtlKind::Edit, "", {4, 4, 40, 12}, Border},
                            {6, CtlKind::Edit, "", {4, 20, 60, 40}, Multiline | Disabled | Border},
                            {-1, CtlKind::Static, "label", {4, 62, 40, 8}},
                            {7, CtlKind::PushButton, "Go", {50, 4, 40, 14}}}};
    QWidget host;
    auto* placed = new QWidget;
    placed->setFocusPolicy(Qt::StrongFocus);
    auto* unused = new QWidget;
    const DialogBaseUnits u{6, 15};
    const auto built = BuildDialogControls(t, &host, u, {{6, placed}, {-1, unused}, {8, unused}});
    ASSERT_EQ(built.size(), 4u);
    EXPECT_EQ(built[1].widget, placed);
    EXPECT_EQ(placed->parentWidget(), &host);
    EXPECT_EQ(ControlIdOf(placed), 6);
    EXPECT_EQ(placed->geometry(), QRect(6, 38, 90, 75));
    EXPECT_FALSE(placed->isEnabled());
    auto nextStop = [](QWidget* w) {
        do w = w->nextInFocusChain();
        while (!(w->focusPolicy() & Qt::TabFocus));
        return w;
    };
    EXPECT_EQ(nextStop(built[0].widget), placed);
    EXPECT_EQ(nextStop(placed), built[3].widget);
    EXPECT_NE(qobject_cast<QLabel*>(built[2].widget), nullptr);
    EXPECT_EQ(host.findChildren<QPlainTextEdit*>().size(), 0u);
    EXPECT_EQ(unused->parentWidget(), nullptr);
    delete unused;
}

// The main dialog builds its hex view in the place of edit 1010, and the
// data exchange leaves it there.
TEST(TemplateBuilderPlaced, TheMainDialogsHexViewIsBuiltInItsPlace) {
    TestApplication();
    CTessadaneDlg dlg;
    ASSERT_TRUE(dlg.CreateFromTemplate());
    EXPECT_EQ(dlg.GetDlgItem(IDC_HEX_VIEW), &dlg.m_hexEdit);
    EXPECT_EQ(dlg.SubclassDlgItem(IDC_HEX_VIEW, &dlg.m_hexEdit), &dlg.m_hexEdit);
    EXPECT_EQ(dlg.GetDlgItem(IDC_HEX_VIEW), &dlg.m_hexEdit);
    EXPECT_EQ(dlg.findChildren<QPlainTextEdit*>().size(), 0u);
    const PixelRect r = MapDialogRect(dlg.Template()->controls.front().rect, dlg.BaseUnits());
    EXPECT_EQ(dlg.m_hexEdit.geometry(), QRect(r.x, r.y, r.width, r.height));
}
