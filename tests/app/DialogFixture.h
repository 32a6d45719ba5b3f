// Base of the tests that drive the main dialog: the test application, an
// engine host of the test's kind for the length of the test, and the dialog
// opened as start-up opens it and closed at the end.
#pragma once

#include "AppShell.h"
#include "AppTestEnv.h"
#include "EngineHost.h"
#include "TessadaneDlg.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <type_traits>

template <class Host>
class DialogFixture : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        SetEngineHost(&host);
        if constexpr (std::is_base_of_v<IAppShell, Host>) SetAppShell(&host);
    }
    void TearDown() override {
        dlg.reset();
        SetEngineHost(nullptr);
        SetAppShell(nullptr);
    }

    // Opens the main dialog with this chip type remembered.
    CTessadaneDlg& Open(std::optional<int> storedChipType = std::nullopt) {
        dlg.reset();
        dlg = OpenMainDialog(storedChipType);
        return *dlg;
    }
    // The user picks a chip type in the combo box.
    void Choose(int row) { ChooseChipType(*dlg, row); }

    Host host;
    std::unique_ptr<CTessadaneDlg> dlg;
};
