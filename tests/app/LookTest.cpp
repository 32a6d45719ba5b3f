// What the user sees: the names of the file dialogs' filters, the face of
// read-only edits, and the main window whole at its template's size.
#include "AppTestEnv.h"
#include "DialogFixture.h"
#include "Globals.h"
#include "MyStatusBar.h"
#include "PageControls.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "UserClick.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

class Look : public DialogFixture<CQtEngineHost> {
protected:
    // Runs action, which opens a file dialog, and notes the dialog's title
    // and the names its filter list shows, then cancels it.
    void SeeFileDialog(const std::function<void()>& action) {
        title.clear();
        shown.clear();
        QTimer::singleShot(0, [this] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            title = dialog->windowTitle().toStdString();
            auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
            ASSERT_NE(types, nullptr);
            for (int i = 0; i < types->count(); ++i) shown.push_back(types->itemText(i).toStdString());
            dialog->reject();
        });
        action();
    }
    std::string title;
    std::vector<std::string> shown;
};

}  // namespace

// (Every job's title and filter: the image and jobs tests; here how the
// dialog shows a filter whose name already holds its pattern.)
TEST_F(Look, FileDialogsShowEachFilterWithItsPattern) {
    const struct {
        const char* what;
        int row;
        std::function<void()> open;
        const char* title;
        const char* filter;
    } cases[] = {
        {"open, EEPROM chips", ROW_VQ7170, [this] { dlg->OnBnClickedOpenFile(); }, "Open Patch file!", "Patch (*.hex,*.bin)"},
        {"open, VQ7340", ROW_VQ7340, [this] { dlg->OnBnClickedOpenFile(); }, "Open Firmware file!", "VQ734x_FW (*.hex,*.bin)"},
        {"HDCP key", ROW_VQ7340, [this] { ASSERT_TRUE(ClickAsUser(g_pCurPage->GetWnd()->GetDlgItem(IDC_LOAD_KEY))); },
         "Open hdcp key file!", "HDCP_KEY (*.bin)"},
    };
    for (const auto& c : cases) {
        Open(c.row);
        SeeFileDialog(c.open);
        EXPECT_EQ(title, c.title) << c.what;
        EXPECT_EQ(shown, std::vector<std::string>{c.filter}) << c.what;
    }
}

// The colour behind the left end of an edit's text.
static QColor Background(QWidget* edit) {
    const QImage image = edit->grab().toImage();
    return image.pixelColor(6, image.height() / 2);
}

TEST_F(Look, ReadOnlyEditsShowTheFaceColourEditableOnesTheFieldColour) {
    const QPalette system = QGuiApplication::palette();
    const struct {
        const char* what;
        int row;
        bool onPage;
        int id;
        QColor colour;
    } cases[] = {
        {"VQ7340 \"Addr:\"", ROW_VQ7340, true, IDC_KEY_OFFSET, system.color(QPalette::Active, QPalette::Button)},
        {"device version (disabled too)", ROW_VQ7340, false, IDC_DEVICE_VERSION,
         system.color(QPalette::Disabled, QPalette::Button)},
        {"VQ7340 VID", ROW_VQ7340, true, IDC_VID, system.color(QPalette::Active, QPalette::Base)},
        {"version", ROW_VQ7170, false, IDC_VERSION, system.color(QPalette::Active, QPalette::Base)},
    };
    ASSERT_NE(system.color(QPalette::Button), system.color(QPalette::Base));
    for (const auto& c : cases) {
        Open(c.row);
        QWidget* edit = c.onPage ? g_pCurPage->GetWnd()->GetDlgItem(c.id) : dlg->GetDlgItem(c.id);
        ASSERT_NE(edit, nullptr) << c.what;
        EXPECT_EQ(Background(edit).name().toStdString(), c.colour.name().toStdString()) << c.what;
    }
}

// The window keeps its template's size, and the status bar, with the
// progress bar on it, lies whole inside it along the bottom.
TEST_F(Look, StatusBarLiesWholeAlongTheBottomOfTheTemplateSizedWindow) {
    Open(ROW_VQ5520);
    EXPECT_EQ(dlg->size(), dlg->TemplateSize());
    const QWidget* bar = g_statusBar.GetWnd();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->geometry(), QRect(0, dlg->height() - g_statusBar.BarHeight(), dlg->width(), g_statusBar.BarHeight()));
    const QProgressBar* progress = g_progress.GetWnd();
    ASSERT_NE(progress, nullptr);
    EXPECT_TRUE(bar->rect().contains(progress->geometry())) << progress->geometry().y();
}
