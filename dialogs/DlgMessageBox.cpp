#include "DlgMessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLayout>
#include <QScreen>

#include <algorithm>

int CaptionFitWidth(int captionAdvance, int lineHeight) {
    // A quarter more for the title font, and eight line heights for the
    // window icon, three buttons and the gaps around them.
    return captionAdvance + captionAdvance / 4 + 8 * lineHeight;
}

CDlgMessageBox::CDlgMessageBox(const QString& caption, const QString& text, QWidget* owner)
    : QMessageBox(QMessageBox::NoIcon, caption, text, QMessageBox::Ok, owner) {}

int CDlgMessageBox::CaptionWidth() const {
    QFont font = QApplication::font("QMdiSubWindowTitleBar");
    font.setBold(true);
    const QFontMetrics fm(font);
    int width = CaptionFitWidth(fm.horizontalAdvance(windowTitle()), fm.height());
    if (const QScreen* s = screen()) width = std::min(width, s->availableGeometry().width());
    return width;
}

bool CDlgMessageBox::event(QEvent* e) {
    const bool result = QMessageBox::event(e);
    // The box sizes itself to its text on a layout request.
    if (e->type() == QEvent::LayoutRequest) FitCaption();
    return result;
}

void CDlgMessageBox::showEvent(QShowEvent* e) {
    QMessageBox::showEvent(e);
    FitCaption();
}

void CDlgMessageBox::FitCaption() {
    const int w = CaptionWidth();
    if (width() >= w) return;
    QLayout* l = layout();
    const int h = l && l->hasHeightForWidth() ? std::max(height(), l->totalHeightForWidth(w)) : height();
    setFixedSize(w, h);
    QCoreApplication::removePostedEvents(this, QEvent::LayoutRequest);
}
