#include "DialogBuilder.h"

#include "DialogResources.h"
#include "DlgWidgets.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
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

// Check boxes and radios put their text 4 pixels from the box, so that
// texts sized for the templates fit.
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

QWidget* MakeStatic(const ControlTemplate& c, QWidget* host) {
    auto* label = new QLabel(QString::fromUtf8(c.text), host);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A group box only frames: mouse presses, releases, wheel turns and hover
// reach the controls inside or under it wherever it stands in the stacking
// order (later in the template means above). Its place in the tab order is
// kept; it takes no focus anyway.
QWidget* MakeGroupBox(const ControlTemplate& c, QWidget* host) {
    auto* box = new QGroupBox(QString::fromUtf8(c.text), host);
    box->setAttribute(Qt::WA_TransparentForMouseEvents);
    return box;
}

QWidget* MakePushButton(const ControlTemplate& c, QWidget* host) {
    auto* b = new QPushButton(QString::fromUtf8(c.text), host);
    // Only the template's default button is the default; the dialog
    // presses a focused button itself (CDialogWnd::keyPressEvent).
    b->setAutoDefault(false);
    if (c.kind == CtlKind::DefPushButton) b->setDefault(true);
    return b;
}

QWidget* MakeCheckBox(const ControlTemplate& c, QWidget* host) {
    auto* b = new QCheckBox(QString::fromUtf8(c.text), host);
    b->setStyle(ButtonTextStyle());
    return b;
}

// The radio joins its group once every control is built (JoinRadioGroups).
QWidget* MakeRadio(const ControlTemplate& c, QWidget* host) {
    auto* b = new CAutoRadioButton(QString::fromUtf8(c.text), host);
    b->setStyle(ButtonTextStyle());
    return b;
}

// Hands each radio the list of the radios of its group (RadioGroupOf).
void JoinRadioGroups(const DialogTemplate& t, const std::vector<BuiltControl>& built) {
    std::vector<bool> joined(built.size(), false);
    for (std::size_t i = 0; i < built.size(); ++i) {
        if (built[i].kind != CtlKind::AutoRadio || joined[i]) continue;
        auto group = std::make_shared<RadioGroup>();
        const std::vector<std::size_t> members = RadioGroupOf(t, i);
        for (std::size_t m : members) {
            joined[m] = true;
            group->emplace_back(qobject_cast<CAutoRadioButton*>(built[m].widget));
        }
        for (const QPointer<CAutoRadioButton>& radio : *group)
            if (radio) radio->SetGroup(group);
    }
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
    e->SetStopAtVisibleWidth((c.style & NoAutoHScroll) != 0);
    e->setReadOnly(c.style & ReadOnly);
    if (c.style & RightAlign) e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (!(c.style & Border)) e->setFrame(false);
    e->SetTextFromProgram(QString::fromUtf8(c.text));
    return e;
}

// The template's height is that of the dropped list; the closed box is as
// high as its font needs.
QWidget* MakeDropDownList(QWidget* host, QRect& geometry) {
    auto* combo = new QComboBox(host);
    combo->setEditable(false);
    geometry.setHeight(std::min(geometry.height(), combo->sizeHint().height()));
    return combo;
}

QWidget* MakeProgressBar(QWidget* host) {
    auto* bar = new QProgressBar(host);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    return bar;
}

// A plain host for child pages, no tab items.
QWidget* MakeTabHost(QWidget* host) {
    auto* w = new QWidget(host);
    w->setAutoFillBackground(true);
    w->setPalette(SystemPalette());
    return w;
}

// An icon control takes its icon's size.
QWidget* MakeStaticIcon(const ControlTemplate& c, QWidget* host, QRect& geometry) {
    auto* label = new QLabel(host);
    const QPixmap icon = LoadDialogIcon(c.iconId);
    label->setPixmap(icon);
    if (!icon.isNull()) geometry.setSize(icon.size());
    return label;
}

// A Custom control: the window the program's factory makes for the class,
// else an empty window that keeps the layout.
QWidget* MakeCustom(const ControlTemplate& c, QWidget* host) {
    QWidget* w = CreateCustomControl(QString::fromUtf8(c.className), host);
    return w ? w : new QWidget(host);
}

// The widget of one control; geometry may be adjusted to what the widget needs.
QWidget* MakeControl(const ControlTemplate& c, QWidget* host, QRect& geometry) {
    switch (c.kind) {
    case CtlKind::Static: return MakeStatic(c, host);
    case CtlKind::GroupBox: return MakeGroupBox(c, host);
    case CtlKind::PushButton:
    case CtlKind::DefPushButton: return MakePushButton(c, host);
    case CtlKind::AutoCheckBox: return MakeCheckBox(c, host);
    case CtlKind::AutoRadio: return MakeRadio(c, host);
    case CtlKind::Edit: return MakeEdit(c, host);
    case CtlKind::DropDownList: return MakeDropDownList(host, geometry);
    case CtlKind::ProgressBar: return MakeProgressBar(host);
    case CtlKind::TabControl: return MakeTabHost(host);
    case CtlKind::StaticIcon: return MakeStaticIcon(c, host, geometry);
    case CtlKind::Custom: return MakeCustom(c, host);
    }
    return new QWidget(host);
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

std::vector<BuiltControl> BuildDialogControls(const DialogTemplate& t, QWidget* host, const DialogBaseUnits& units,
                                              const std::map<int, QWidget*>& placed) {
    std::vector<BuiltControl> built;
    built.reserve(t.controls.size());
    QWidget* lastTabStop = nullptr;

    for (const ControlTemplate& c : t.controls) {
        const PixelRect r = MapDialogRect(c.rect, units);
        QRect geometry(r.x, r.y, r.width, r.height);
        const auto own = c.id == -1 ? placed.end() : placed.find(c.id);
        QWidget* w = own != placed.end() ? own->second : MakeControl(c, host, geometry);
        if (w->parentWidget() != host) w->setParent(host);
        w->setGeometry(geometry);
        SetControlId(w, c.id);
        if (c.style & ctlstyle::Disabled) w->setEnabled(false);
        if (c.style & ctlstyle::Hidden) w->setHidden(true);
        if (c.style & ctlstyle::NoTabStop) {
            w->setFocusPolicy(Qt::ClickFocus);
            if (auto* radio = qobject_cast<CAutoRadioButton*>(w)) radio->SetTabStop(false);
        }
        if (w->focusPolicy() & Qt::TabFocus) {
            if (lastTabStop) QWidget::setTabOrder(lastTabStop, w);
            lastTabStop = w;
        }
        built.push_back({c.id, c.kind, w});
    }
    JoinRadioGroups(t, built);
    return built;
}

std::vector<std::size_t> RadioGroupOf(const DialogTemplate& t, std::size_t index) {
    const std::vector<ControlTemplate>& c = t.controls;
    if (index >= c.size()) return {};
    std::size_t first = index;
    while (first > 0 && !(c[first].style & ctlstyle::Group)) --first;
    std::vector<std::size_t> radios;
    for (std::size_t i = first; i < c.size(); ++i) {
        if (i > first && (c[i].style & ctlstyle::Group)) break;
        if (c[i].kind == CtlKind::AutoRadio) radios.push_back(i);
    }
    return radios;
}

int ControlIdOf(const QWidget* w) {
    if (!w) return -1;
    const QVariant v = w->property(kIdProperty);
    return v.isValid() ? v.toInt() : -1;
}

void SetControlId(QWidget* w, int id) { w->setProperty(kIdProperty, id); }
