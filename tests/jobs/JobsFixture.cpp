#include "JobsFixture.h"

#include <QApplication>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTest>

ModalAnswerer::ModalAnswerer() {
    m_timer.setInterval(5);
    connect(&m_timer, &QTimer::timeout, this, [this] { Answer(); });
    m_timer.start();
}

void ModalAnswerer::Answer() {
    QWidget* w = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(w)) {
        boxes.push_back({box->windowTitle(), box->text(), static_cast<int>(box->buttons().size())});
        if (QAbstractButton* ok = box->button(QMessageBox::Ok))
            ok->click();
        else
            box->reject();
    } else if (auto* fd = qobject_cast<QFileDialog*>(w)) {
        QStringList shown;  // the filter names the dialog shows
        if (auto* types = fd->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
            for (int i = 0; i < types->count(); ++i) shown << types->itemText(i);
        fileDialogs.push_back({fd->windowTitle(), shown, fd->acceptMode() == QFileDialog::AcceptSave});
        if (m_paths.empty()) {
            fd->reject();
            return;
        }
        fd->selectFile(m_paths.front());
        m_paths.pop_front();
        QMetaObject::invokeMethod(fd, "accept");
    }
}

void JobsTest::SetUp() {
    DialogFixture::SetUp();
    g_readLen = 0x30;
}

void JobsTest::TearDown() {
    EXPECT_TRUE(WaitIdle()) << "a job was still running at the end of the test";
    DialogFixture::TearDown();
}

std::shared_ptr<emu::Chip> JobsTest::StartSlowDownload(const std::vector<BYTE>& image) {
    auto chip = bus->Plug(Vq7170(300));
    Open(ROW_VQ7170);
    ShowImage(image);
    Click(IDC_DOWNLOAD);
    EXPECT_EQ(g_bBusy, 1);
    return chip;
}

void JobsTest::ShowImage(const std::vector<BYTE>& bytes) {
    std::copy(bytes.begin(), bytes.end(), g_image);
    g_imageLen = static_cast<DWORD>(bytes.size());
    dlg->UpdateImageInfo();
}

void JobsTest::TypeIntoView(UINT offset, const char* digits) {
    dlg->m_hexEdit.setFocus();
    dlg->m_hexEdit.SetEditCaretPos(offset, true);
    QTest::keyClicks(&dlg->m_hexEdit, QString::fromLatin1(digits));
}

std::vector<BYTE> JobsTest::ViewBytes() const {
    const BYTE* data = dlg->m_hexEdit.GetData();
    return data ? std::vector<BYTE>(data, data + dlg->m_hexEdit.GetDataSize()) : std::vector<BYTE>{};
}

void JobsTest::Click(int id) {
    QWidget* w = dlg->GetDlgItem(id);
    ASSERT_NE(w, nullptr);
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(4, 5));
}

void JobsTest::TypeInto(int id, const QString& text) {
    auto* edit = dlg->DlgItem<QLineEdit>(id);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, text);
}

bool JobsTest::WaitFor(const std::function<bool()>& cond, int timeoutMs) {
    return QTest::qWaitFor(cond, timeoutMs);
}

bool JobsTest::WaitIdle(int timeoutMs) {
    if (!WaitFor([] { return g_bBusy == 0; }, timeoutMs)) return false;
    QCoreApplication::processEvents();  // changes put off until the job's end
    return g_bBusy == 0;
}

QString JobsTest::Status() { return g_statusBar.m_pPaneTexts[0]; }

COLORREF JobsTest::StatusColour() { return g_statusBar.m_pPaneColors[0]; }

bool JobsTest::ShowsIcon(const QPixmap* icon) const {
    auto* label = dlg->DlgItem<QLabel>(IDC_CONNECT_ICON);
    return label && icon && label->pixmap().toImage() == icon->toImage();
}

std::size_t JobsTest::CommandCount(const emu::Chip& chip, BYTE command) {
    std::size_t n = 0;
    for (const emu::LoggedReport& r : chip.Log())
        if (r.kind == emu::LoggedReport::Set && r.bytes.size() > 1 && r.bytes[1] == command) ++n;
    return n;
}

emu::ChipConfig Vq7170(unsigned latencyMicros, std::string location) {
    emu::ChipConfig c;
    c.type = emu::ChipType::VQ7170;
    c.eepromSize[0] = 65536;
    c.eepromSize[1] = 65536;
    c.latencyMicros = latencyMicros;
    c.location = std::move(location);
    return c;
}

std::vector<BYTE> Pattern(std::size_t len, BYTE seed) {
    std::vector<BYTE> v(len);
    for (std::size_t i = 0; i < len; ++i) v[i] = static_cast<BYTE>(seed + i * 7);
    return v;
}
