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
#include <tuple>

namespace {

// What a rewrite of the settings file changes: the file is replaced by a new
// copy (inode, modification time), and the lock and temporary files come and
// go in its folder (the folder's modification time).
std::tuple<ino_t, std::int64_t, std::int64_t> StampOf(const QString& file) {
    struct stat f {}, d {};
    stat(QFile::encodeName(file).constData(), &f);
    stat(QFile::encodeName(QFileInfo(file).path()).constData(), &d);
    auto ns = [](const timespec& t) { return std::int64_t{t.tv_sec} * 1000000000 + t.tv_nsec; };
    return {f.st_ino, ns(f.st_mtim), ns(d.st_mtim)};
}

// Starts the tool as main does, runs whileOpen once its window is up, then
// closes the window.
void RunTool(const std::function<void(CTessadaneDlg&)>& whileOpen) {
    QTimer::singleShot(0, [&] {
        auto* dlg = qobject_cast<CTessadaneDlg*>(theApp.m_pMainWnd);
        ASSERT_NE(dlg, nullptr);
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
    const QString file =
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf8(kRegistryKey), theApp.m_pszAppName).fileName();
    for (const auto& c : cases) {
        StoreChipType(c.stored);
        const auto before = StampOf(file);
        ASSERT_NE(std::get<0>(before), 0u) << c.what;
        RunTool([&](CTessadaneDlg& dlg) {
            if (c.chosen) ChooseChipType(dlg, *c.chosen);
        });
        EXPECT_EQ(StampOf(file) != before, c.rewritten) << c.what;
        EXPECT_EQ(StoredChipType().toString(), QString::number(c.after)) << c.what;
    }
}
