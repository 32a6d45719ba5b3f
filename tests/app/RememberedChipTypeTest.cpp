// The remembered chip type on disk: a start, or a choice, that leaves the
// stored value as it is leaves the settings file alone; any other writes
// the row, as it always did.
#include "AppTestEnv.h"
#include "Globals.h"
#include "TessadaneApp.h"
#include "TessadaneDlg.h"

#include <QFileInfo>
#include <QSettings>
#include <QTimer>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdint>
#include <functional>
#include <optional>

namespace {

// What a rewrite of the settings file changes: the file is replaced by a
// new copy (another inode, another modification time), and the lock and
// temporary files come and go in its folder (the folder's modification time).
struct DiskStamp {
    ino_t inode = 0;
    std::int64_t fileNs = -1;
    std::int64_t folderNs = -1;
    bool operator==(const DiskStamp&) const = default;
};

std::int64_t Nanoseconds(const timespec& t) { return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec; }

DiskStamp StampOf(const QString& file) {
    DiskStamp stamp;
    struct stat st {};
    if (stat(QFile::encodeName(file).constData(), &st) == 0) {
        stamp.inode = st.st_ino;
        stamp.fileNs = Nanoseconds(st.st_mtim);
    }
    if (stat(QFile::encodeName(QFileInfo(file).path()).constData(), &st) == 0) stamp.folderNs = Nanoseconds(st.st_mtim);
    return stamp;
}

QString SettingsFile() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf8(kRegistryKey), theApp.m_pszAppName)
        .fileName();
}

// Starts the tool as main does, runs whileOpen once its window is up, then
// closes the window.
void RunTool(const std::function<void(CTessadaneDlg&)>& whileOpen) {
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CTessadaneDlg*>(theApp.m_pMainWnd);
        if (!dlg) {
            ADD_FAILURE() << "no window";
            return;
        }
        whileOpen(*dlg);
        dlg->EndDialog(kDlgIdCancel);
    });
    theApp.InitInstance();
}

}  // namespace

TEST(RememberedChipType, AStartOrChoiceThatKeepsTheValueLeavesTheFileAlone) {
    TestApplication();
    const struct {
        const char* what;
        std::optional<int> stored;
        std::optional<int> chosen;  // the user's choice while the window is open
        bool rewritten;
        int after;
    } cases[] = {
        {"start with row 3 stored", 3, std::nullopt, false, 3},
        {"start with row 0 stored", 0, std::nullopt, false, 0},
        {"start with nothing stored", std::nullopt, std::nullopt, true, 0},
        {"start with 9 stored (row 0)", 9, std::nullopt, true, 0},
        {"start with 258 stored (row 2)", 258, std::nullopt, true, 2},
        {"the stored row chosen again", 3, 3, false, 3},
        {"another row chosen", 3, 5, true, 5},
    };
    for (const auto& c : cases) {
        StoreChipType(c.stored);
        const DiskStamp before = StampOf(SettingsFile());
        ASSERT_NE(before.inode, 0u) << c.what;
        RunTool([&](CTessadaneDlg& dlg) {
            if (c.chosen) ChooseChipType(dlg, *c.chosen);
        });
        EXPECT_EQ(!(StampOf(SettingsFile()) == before), c.rewritten) << c.what;
        EXPECT_EQ(StoredChipType().toString(), QString::number(c.after)) << c.what;
    }
}
