#include "DialogBuilder.h"

#include "DlgWidgets.h"
#include "HexEditBase.h"
#include "Resources.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHash>
#include <QLabel>
#include <QPointer>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QCheckBox>
#include <QProxyStyle>
#include <QScreen>

namespace {

constexpr const char* kIdProperty = "dlgCtrlId";

// Check boxes and radios put their text as close to the box as dialog
// controls do, so that texts sized for dialogs fit.
class CButtonTextStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override {
        if (metric == PM_RadioButtonLabelSpacing || metric == PM_CheckBoxLabelSpacing) return 4;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

QStyle* ButtonTextStyle() {
    static QPointer<QStyle> style;
    if (!style) {
        style = new CButtonTextStyle;
        style->setParent(QCoreApplication::instance());
    }
    return style;
}

// A Custom control: the hex view's classes, else an empty window that keeps
// the layout.
QWidget* MakeCustom(const ControlTemplate& c, QWidget* host) {
    QWidget* w = CreateHexEditByClassName(QString::fromUtf8(c.className), host);
    return w ? w : new QWidget(host);
}

QWidget* MakeEdit(const ControlTemplate& c, QWidget* host) {
    using namespace ctlstyle;
    if (c.style & Multiline) {
        auto* e = new QPlainTextEdit(host);
        e->setVerticalScrollBarPolicy((c.style & VScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
        e->setReadOnly(c.style & ReadOnly);
        return e;
    }
    auto* e = new CDlgEdit(host);
    e->SetRules({0, (c.style & UpperCase) != 0, (c.style & Number) != 0});
    e->setReadOnly(c.style & ReadOnly);
    if (c.style & RightAlign) e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!(c.style & Border)) e->setFrame(false);
    e->SetTextFromProgram(QString::fromUtf8(c.text));
    return e;
}

}  // namespace

QPalette SystemPalette() {
    QPalette pal = QGuiApplication::palette();
    pal.setResolveMask(~QPalette::ResolveMask(0));  // every role set: nothing comes from the parent
    return pal;
}

QFont DialogFont(const DialogTemplate& t) {
    int dpi = 96;
    if (const QScreen* screen = QGuiApplication::primaryScreen()) dpi = qRound(screen->logicalDotsPerInchY());
    QFont f(QString::fromUtf8(t.fontFace));
    f.setPixelSize(FontPixelSize(t.pointSize, dpi));
    return f;
}

DialogBaseUnits MeasureBaseUnits(const QFont& font) {
    const QFontMetrics fm(font);
    return BaseUnitsFromMetrics(fm.horizontalAdvance(QString::fromLatin1(kBaseUnitLetters)), fm.height());
}

std::vector<BuiltControl> BuildDialogControls(const DialogTemplate& t, QWidget* host, const DialogBaseUnits& units) {
    using namespace ctlstyle;
    std::vector<BuiltControl> built;
    built.reserve(t.controls.size());
    std::shared_ptr<RadioGroup> radioGroup;
    QWidget* lastTabStop = nullptr;

    for (const ControlTemplate& c : t.controls) {
        const QString text = QString::fromUtf8(c.text);
        const PixelRect r = MapDialogRect(c.rect, units);
        QRect geometry(r.x, r.y, r.width, r.height);
        QWidget* w = nullptr;

        if (c.kind != CtlKind::AutoRadio) radioGroup.reset();
        switch (c.kind) {
        case CtlKind::Static: {
            auto* label = new QLabel(text, host);
            label->setWordWrap(true);
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            label->setTextFormat(Qt::PlainText);
            w = label;
            break;
        }
        case CtlKind::GroupBox: w = new QGroupBox(text, host); break;
        case CtlKind::PushButton:
        case CtlKind::DefPushButton: {
            auto* b = new QPushButton(text, host);
            // Only the template's default button is the default; the dialog
            // presses a focused button itself (CDialogWnd::keyPressEvent).
            b->setAutoDefault(false);
            if (c.kind == CtlKind::DefPushButton) b->setDefault(true);
            w = b;
            break;
        }
        case CtlKind::AutoCheckBox:
            w = new QCheckBox(text, host);
            w->setStyle(ButtonTextStyle());
            break;
        case CtlKind::AutoRadio: {
            if (!radioGroup || (c.style & Group)) radioGroup = std::make_shared<RadioGroup>();
            auto* b = new CAutoRadioButton(text, host);
            b->setStyle(ButtonTextStyle());
            b->SetGroup(radioGroup);
            radioGroup->emplace_back(b);
            w = b;
            break;
        }
        case CtlKind::Edit: w = MakeEdit(c, host); break;
        case CtlKind::DropDownList: {
            auto* combo = new QComboBox(host);
            combo->setEditable(false);
            // The template's height is that of the dropped list; the closed
            // box is as high as its font needs.
            geometry.setHeight(std::min(geometry.height(), combo->sizeHint().height()));
            w = combo;
            break;
        }
        case CtlKind::ProgressBar: {
            auto* bar = new QProgressBar(host);
            bar->setRange(0, 100);
            bar->setValue(0);
            bar->setTextVisible(false);
            w = bar;
            break;
        }
        case CtlKind::TabControl: {
            w = new QWidget(host);
            w->setAutoFillBackground(true);
            w->setPalette(SystemPalette());
            break;
        }
        case CtlKind::StaticIcon: {
            auto* label = new QLabel(host);
            const QPixmap icon = LoadIconPixmap(c.iconId);
            label->setPixmap(icon);
            if (!icon.isNull()) geometry.setSize(icon.size());  // an icon control takes its icon's size
            w = label;
            break;
        }
        case CtlKind::Custom: w = MakeCustom(c, host); break;
        }

        w->setGeometry(geometry);
        SetControlId(w, c.id);
        if (c.style & Disabled) w->setEnabled(false);
        if (c.style & Hidden) w->setHidden(true);
        if (w->focusPolicy() & Qt::TabFocus) {
            if (lastTabStop) QWidget::setTabOrder(lastTabStop, w);
            lastTabStop = w;
        }
        built.push_back({c.id, c.kind, w});
    }
    return built;
}

int ControlIdOf(const QWidget* w) {
    if (!w) return -1;
    const QVariant v = w->property(kIdProperty);
    return v.isValid() ? v.toInt() : -1;
}

void SetControlId(QWidget* w, int id) { w->setProperty(kIdProperty, id); }
