// Paints paced to a frame while a job runs, and a check box's state read by
// a worker without a trip onto the user-interface thread.
#include "AppTestEnv.h"
#include "ControlObjects.h"
#include "PaintPacer.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QEvent>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace {

class Painted : public QWidget {
public:
    using QWidget::QWidget;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

class PaintPacing : public ::testing::Test, protected WithTestApplication {
protected:
    void SetUp() override {
        top.resize(200, 100);
        child = new Painted(&top);
        child->setGeometry(10, 10, 50, 50);
        top.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&top));
        Settle();
        child->paints = 0;
    }
    static void Settle() {
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    }
    // Runs the event loop for ms milliseconds.
    static void Spin(int ms) {
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }

    QWidget top;
    Painted* child = nullptr;
    CPaintPacer pacer{&top};
};

}  // namespace

TEST_F(PaintPacing, ChangesWithinAFrameArePaintedOnceAtItsEnd) {
    pacer.Start();
    child->update();
    QCoreApplication::processEvents();
    child->update(0, 0, 5, 5);
    QCoreApplication::processEvents();
    EXPECT_EQ(child->paints, 0);  // well within the first frame
    Spin(CPaintPacer::FRAME_MS * 3);
    EXPECT_EQ(child->paints, 1);

    // The next change a frame later is painted at once.
    child->update();
    Settle();
    EXPECT_EQ(child->paints, 2);
    pacer.Stop();
}

TEST_F(PaintPacing, StopPaintsWhatWasHeldOnTheNextPassOnly) {
    pacer.Start();
    child->update();
    Settle();
    ASSERT_EQ(child->paints, 0);
    pacer.Stop();
    EXPECT_EQ(child->paints, 0);  // not inside Stop
    Settle();
    EXPECT_EQ(child->paints, 1);

    // Unpaced again: every pass paints.
    child->update();
    Settle();
    EXPECT_EQ(child->paints, 2);
    Spin(CPaintPacer::FRAME_MS * 2);
    EXPECT_EQ(child->paints, 2);  // nothing left over
}

TEST(CheckState, AWorkerReadsEveryChangeOfTheBox) {
    TestApplication();
    auto box = std::make_unique<QCheckBox>(QStringLiteral("box"));
    box->show();
    int clicks = 0;
    QObject::connect(box.get(), &QAbstractButton::clicked, [&clicks] { ++clicks; });
    CButton button;
    button.Attach(box.get());
    button.Attach(box.get());  // again, as a second data exchange would: the box's own handlers stay

    const auto workerReads = [&button] {
        int check = -1;
        RunOnWorkerThread([&] { check = button.GetCheck(); });
        return check;
    };
    struct Step {
        const char* what;
        std::function<void()> change;
        int expected;
    };
    const Step steps[] = {
        {"unchecked at the start", [] {}, 0},
        {"checked by the program", [&] { button.SetCheck(1); }, 1},
        {"unchecked by a click", [&] { QTest::mouseClick(box.get(), Qt::LeftButton); }, 0},
        {"checked by a click", [&] { QTest::mouseClick(box.get(), Qt::LeftButton); }, 1},
        {"both clicks handled", [&] { EXPECT_EQ(clicks, 2); }, 1},
        {"the box goes", [&] { box.reset(); }, 0},
    };
    for (const Step& s : steps) {
        s.change();
        EXPECT_EQ(workerReads(), s.expected) << s.what;
        EXPECT_EQ(button.GetCheck(), s.expected) << s.what;
    }
}
