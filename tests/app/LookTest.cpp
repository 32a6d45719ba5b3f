// What the user sees: the names of the file dialogs' filters and their
// detail columns, the face of read-only edits, the main window whole at its
// template's size, and the chip-type list with every name whole.
#include "AppTestEnv.h"
#include "DialogFixture.h"
#include "Globals.h"
#include "MyStatusBar.h"
#include "PageControls.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "UserClick.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QGuiApplication>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeView>

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

// The chip-type box keeps its template's width, which cuts the longest name;
// the list it drops gives every name the width it needs.
TEST_F(Look, ChipTypeListShowsEveryNameWhole) {
    Open(ROW_VQ7140XX);
    auto* combo = dlg->DlgItem<QComboBox>(IDC_CHIP_TYPE);
    ASSERT_NE(combo, nullptr);
    for (const ControlTemplate& c : dlg->Template()->controls) {
        if (c.id == IDC_CHIP_TYPE) {
            EXPECT_EQ(combo->width(), MapDialogRect(c.rect, dlg->BaseUnits()).width);
        }
    }
    ASSERT_TRUE(ClickAsUser(combo));
    QAbstractItemView* list = combo->view();
    ASSERT_TRUE(list->isVisible());
    ASSERT_EQ(combo->count(), CHIP_TYPE_COUNT);
    for (int i = 0; i < combo->count(); ++i) {
        const QModelIndex index = combo->model()->index(i, 0);
        // What the list shows of the entry: its rectangle within the viewport.
        const QRect shown = list->visualRect(index).intersected(list->viewport()->rect());
        EXPECT_GE(shown.width(), list->sizeHintForIndex(index).width()) << combo->itemText(i).toStdString();
    }
    combo->hidePopup();
}

// The file dialogs open wide enough for their detail columns: Size, Type
// and Date Modified each as wide as its title and every entry of the folder
// shown, and all three inside the view, the name column beside them.
TEST_F(Look, FileDialogsShowTheirDetailColumnsWhole) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    // An Intel HEX text, and binary files up to the largest image.
    const struct {
        const char* name;
        QByteArray text;
        qint64 size;
    } files[] = {{"patch.hex", ":0400000080FE00007E\n:00000001FF\n", 0},
                 {"firmware image of the VQ7340.bin", {}, 16 * 1024 * 1024},
                 {"key.bin", {}, 285}};
    for (const auto& f : files) {
        QFile file(folder.filePath(QString::fromUtf8(f.name)));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.text.isEmpty() ? file.resize(f.size) : file.write(f.text) == f.text.size());
    }
    ASSERT_TRUE(QDir(folder.path()).mkdir(QStringLiteral("samples")));
    const QString before = QDir::currentPath();
    QDir::setCurrent(folder.path());
    const struct {
        const char* what;
        std::function<void()> open;
    } cases[] = {
        {"open", [this] { dlg->OnBnClickedOpenFile(); }},
        {"save", [this] { dlg->OnBnClickedSaveToBin(); }},
    };
    Open(ROW_VQ7170);
    for (const auto& c : cases) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr) << c.what;
            auto* tree = dialog->findChild<QTreeView*>(QStringLiteral("treeView"));
            ASSERT_NE(tree, nullptr) << c.what;
            dialog->setViewMode(QFileDialog::Detail);
            auto* model = qobject_cast<QFileSystemModel*>(tree->model());
            ASSERT_NE(model, nullptr) << c.what;
            // The folder and the files the filter lets through (the save
            // dialog's filter: the two .bin files).
            EXPECT_TRUE(QTest::qWaitFor([&] { return model->rowCount(tree->rootIndex()) >= 3; }, 5000)) << c.what;
            const QHeaderView* header = tree->header();
            const QAbstractItemView* view = tree;  // what each column's entries need
            for (int column = 1; column <= 3; ++column) {
                const std::string title = model->headerData(column, Qt::Horizontal).toString().toStdString();
                EXPECT_GE(header->sectionSize(column), header->sectionSizeHint(column)) << c.what << " " << title;
                EXPECT_GE(header->sectionSize(column), view->sizeHintForColumn(column)) << c.what << " " << title;
                EXPECT_LE(header->sectionViewportPosition(column) + header->sectionSize(column),
                          tree->viewport()->width())
                    << c.what << " " << title;
            }
            EXPECT_GE(header->sectionSize(0), view->sizeHintForColumn(0) / 2) << c.what << ": room for the names";
            seen = true;
            dialog->reject();
        });
        c.open();
        EXPECT_TRUE(seen) << c.what;
    }
    QDir::setCurrent(before);
}
