// The option page tests drive the real main dialog offscreen, with settings
// in a temporary folder, an emulated HID bus (no real devices) and the
// application's engine host, whose message boxes and file dialogs are
// answered by the test.
#pragma once

#include "AppShell.h"
#include "AppTestEnv.h"
#include "DialogFixture.h"
#include "Emulator.h"
#include "ForwardingHost.h"
#include "Globals.h"
#include "ImageFormat.h"
#include "PageControls.h"
#include "QtEngineHost.h"
#include "ResourceIds.h"
#include "TessadaneDlg.h"
#include "UserClick.h"

#include <QAbstractButton>
#include <QApplication>
#include <QSettings>
#include <QString>
#include <QTest>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace pages_test {

// The application's host, but message boxes are noted instead of shown and
// the open-file dialog answers with openPath.
class PageTestHost : public ForwardingHost, public IAppShell {
public:
    PageTestHost() : ForwardingHost(qt) {}
    std::string OpenFileDialog(const FileDialogSpec& spec) override {
        openSpec = spec;
        return openPath;
    }
    std::string SaveFileDialog(const FileDialogSpec&) override { return {}; }
    void MessageBox(const std::string& text) override {
        std::lock_guard lock(mutex);
        messages.push_back(text);
    }
    void Sleep(DWORD) override {}

    std::vector<std::string> TakeMessages() {
        std::lock_guard lock(mutex);
        return std::exchange(messages, {});
    }

    std::string openPath;
    FileDialogSpec openSpec;  // what the last open-file dialog was asked for

private:
    CQtEngineHost qt;
    std::mutex mutex;
    std::vector<std::string> messages;
};

// "5A A5 00" -> bytes.
inline std::vector<BYTE> Hex(const char* text) { return emu::Bytes(text); }

// The image bytes [from, from + n) as "5A A5 ..." for readable failures.
inline std::string ImageHex(std::size_t from, std::size_t n) {
    return emu::Hex(std::span<const BYTE>(g_image + from, n));
}

class PageTest : public DialogFixture<PageTestHost> {
protected:
    CChildDialogWnd& Page() const { return *g_pCurPage->GetWnd(); }
    // A click of the user on a button of the page: a press and a release
    // at the middle of the part a mouse can reach, through the window.
    void Click(int id) const { ClickOn(Page().GetDlgItem(id), id); }
    // The same on a control of the main dialog.
    void ClickDialog(int id) const { ClickOn(dlg->GetDlgItem(id), id); }
    // The USB controls as the page defaults leave them: VID and PID FFFF,
    // both strings unticked with their default texts.
    void ExpectUsbControlsAtDefaults() const {
        CChildDialogWnd& page = Page();
        EXPECT_EQ(page.GetDlgItemText(IDC_VID), QStringLiteral("FFFF"));
        EXPECT_EQ(page.GetDlgItemText(IDC_PID), QStringLiteral("FFFF"));
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_VIDEO_STRING_CHECK), BST_UNCHECKED);
        EXPECT_EQ(page.IsDlgButtonChecked(IDC_AUDIO_STRING_CHECK), BST_UNCHECKED);
        EXPECT_EQ(page.GetDlgItemText(IDC_VIDEO_STRING), QStringLiteral("USB Video"));
        EXPECT_EQ(page.GetDlgItemText(IDC_AUDIO_STRING), QStringLiteral("USB Audio"));
    }
    // The hex view shows exactly g_image[0, g_imageLen).
    void ExpectHexViewShowsImage() const {
        ASSERT_EQ(dlg->m_hexEdit.GetDataSize(), g_imageLen);
        EXPECT_EQ(std::memcmp(dlg->m_hexEdit.GetData(), g_image, g_imageLen), 0);
    }
    // The header checksum behind the code is the one of the header now.
    static void ExpectHeaderChecksumRefreshed() {
        EXPECT_EQ(ReadBE16(g_image + IMAGE_HEADER_SIZE + g_codeLen), HeaderChecksum(g_image, ChecksumLayout::VQ7170))
            << "at " << IMAGE_HEADER_SIZE + g_codeLen;
    }

    // The user presses Read; the job runs on its worker while this thread
    // keeps handling events, as the dialog's loop does.
    void ReadAsUser() const {
        ClickDialog(IDC_READ);
        ASSERT_TRUE(QTest::qWaitFor([] { return g_bBusy == 0; }, 10000)) << "the read did not end";
    }

    emu::ScopedBackend bus;

private:
    static void ClickOn(QWidget* w, int id) {
        ASSERT_NE(w, nullptr) << id;
        ASSERT_TRUE(ClickAsUser(w)) << "control " << id << " can't be reached by the mouse";
    }  // before the dialog opens; the dialog is closed in TearDown
};

}  // namespace pages_test
