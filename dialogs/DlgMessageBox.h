// The message box of the dialogs: a text, an OK button only, and a caption.
// The box is made wide enough for the window manager to show the whole
// caption beside the icon and buttons it puts in the title bar.
#pragma once

#include <QMessageBox>

// The least width of a box whose caption is captionAdvance pixels wide in
// a title font lineHeight pixels high: the caption with room for a larger
// or bolder title font, and the title bar's icon and buttons.
int CaptionFitWidth(int captionAdvance, int lineHeight);

class CDlgMessageBox : public QMessageBox {
    Q_OBJECT

public:
    CDlgMessageBox(const QString& caption, const QString& text, QWidget* owner);
    // The width the caption needs (CaptionFitWidth in the title font),
    // held to the screen's width.
    int CaptionWidth() const;

protected:
    bool event(QEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    // Widens the box to CaptionWidth when the text alone left it narrower.
    void FitCaption();
};
