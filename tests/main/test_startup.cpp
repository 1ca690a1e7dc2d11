// The main window's start-up state, keyboard filter, launchers and shutdown.

#include "ChartDraw.h"
#include "DrawStatic.h"
#include "ProjectInfo.h"
#include "Accessibility.h"
#include "Rig.h"

#include <QFile>
#include <QGroupBox>
#include <QKeyEvent>

using namespace zentor;
using namespace zentor::testing;

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void initialState()
    {
        Rig r;
        QCOMPARE(r.w->windowTitle(), QStringLiteral("Zentor"));
        QCOMPARE(r.w->slaveAddress(), 100);
        QCOMPARE(r.w->configuredBaud(), 115200);
        QCOMPARE(r.text(ids::IdLabel), QStringLiteral("ID : 100 (0x64)"));
        QCOMPARE(r.text(ids::ConnectionStatus), QStringLiteral("Select COM Port and Open"));
        auto* types = r.get<QComboBox>(ids::ControlTypeList);
        QCOMPARE(types->count(), 3);
        QCOMPARE(types->itemText(0), QStringLiteral(" ------ "));
        QCOMPARE(types->itemText(1), QStringLiteral(" Speed Control"));
        QCOMPARE(types->itemText(2), QStringLiteral(" Position Control"));
        QCOMPARE(types->currentIndex(), 0);
        QCOMPARE(r.get<QSlider>(ids::SpeedSlider)->maximum(), 100);
        QCOMPARE(r.get<QSlider>(ids::PositionSlider)->maximum(), 360);
        QCOMPARE(r.w->control(ids::LinkLamp)->size(), QSize(8, 26));
        QCOMPARE(r.get<QComboBox>(ids::ComPortList)->currentText(), QStringLiteral("SIM-SPEED"));
        QCOMPARE(r.w->control(ids::RpmDisplay)->toolTip(), QStringLiteral("Toggle View RPM Mode"));
        QCOMPARE(r.w->control(ids::Web)->toolTip(), QString::fromLatin1(project::kWebHost));
        QVERIFY(r.notes.texts.isEmpty());
        // No control type yet: the dial shows no actual position.
        QVERIFY(!r.w->dial()->ActualShown());
        r.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.w.get()));
        const QImage dial = r.w->dial()->Bitmap();
        for (int y = 0; y < dial.height(); ++y)
            for (int x = 0; x < dial.width(); ++x) QVERIFY(dial.pixelColor(x, y) != CDrawStatic::kActual);
    }

    void everyControlLiesInsideAWindowThatFitsTheSmallestScreen()
    {
        Rig r;
        QVERIFY(r.w->height() + 40 <= 768);  // with its title bar on a 1366 x 768 screen
        QVERIFY(r.w->width() <= 1366);
        const QRect window = r.w->rect();
        for (QWidget* child : r.w->findChildren<QWidget*>()) {
            if (!child->property("controlId").isValid()) continue;
            const QRect at(child->mapTo(r.w.get(), QPoint(0, 0)), child->size());
            QVERIFY2(window.contains(at), qPrintable(child->objectName()));
        }
    }

    void theConfigurationIsLoadedLastAtStartUp()
    {
        Rig r({}, "[Zentor]\nConfig_INI=true\n[COMPORT]\nBaudrate=9600\n[CONTROL]\nSpeed Control=Model A\n");
        QCOMPARE(r.w->configuredBaud(), 9600);
        QCOMPARE(r.w->stores().modelList[2], QStringLiteral("    Model A"));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void aFirstStartSeedsTheConfigurationFile()
    {
        Rig r;
        QVERIFY(QFile::exists(r.configPath()));
        QCOMPARE(r.w->configuredBaud(), 115200);
        QCOMPARE(r.w->stores().speedPreset[0], QStringLiteral("1,7,1,Speed"));
        QCOMPARE(r.w->stores().modelList[18], QStringLiteral("    Model P9 / Model P10"));
    }

    void whatTheConfigurationCouldNotHoldIsToldAtStartUp()
    {
        QByteArray file = "[Zentor]\nConfig_INI=true\n[COMPORT]\nBaudrate=115200\n[SEQ_TEST_USR]\nSET=1,41,1,Speed\n";
        for (int i = 1; i <= 41; ++i) file += QByteArray::number(i) + "=DIR-CW,-,0.5,1\n";
        Rig r({}, file);
        QCOMPARE(r.notes.texts.size(), 1);
        QVERIFY2(r.notes.texts[0].contains(QLatin1String("2")), qPrintable(r.notes.texts[0]));
        QCOMPARE(r.w->stores().userSequence[39], QStringLiteral("DIR-CW,-,0.5,1"));
    }

    void aFileTooLargeToBeTheConfigurationIsToldAndLeftAlone()
    {
        const QByteArray file = "[Zentor]\nConfig_INI=true\n[COMPORT]\nBaudrate=9600\n; " + QByteArray(1024 * 1024, 'x') + "\n";
        Rig r({}, file);
        QCOMPARE(r.notes.texts.size(), 1);
        QVERIFY2(r.notes.texts[0].contains(QDir::toNativeSeparators(r.configPath())) && r.notes.texts[0].contains(QLatin1String("1 MiB")),
                 qPrintable(r.notes.texts[0]));
        QCOMPARE(r.w->configuredBaud(), 115200);
        QCOMPARE(r.w->stores().speedPreset[0], QStringLiteral("1,7,1,Speed"));
        QFile f(r.configPath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), file);
    }

    void everyControlIsNamedForScreenReaders_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("no control type") << int(NoControl);
        QTest::newRow("speed control") << int(SpeedControl);
        QTest::newRow("position control") << int(PositionControl);
    }
    void everyControlIsNamedForScreenReaders()
    {
        QFETCH(int, type);
        Rig r;
        r.selectType(type);
        QCOMPARE(accessibilityProblems(r.w.get()), QStringList());
        // The group's title follows its caption as the control type changes it.
        QCOMPARE(accessibleName(r.w->control(ids::DirectionPanel)),
                 type == PositionControl ? QStringLiteral("Mounting Direction") : QStringLiteral("Direction"));
    }

    void theAccessibilityCheckFindsWhatARobotWouldMiss()
    {
        QWidget window;
        window.resize(300, 200);
        auto* group = new QGroupBox(QStringLiteral("Brake"), &window);
        group->setGeometry(10, 10, 200, 100);
        auto* outside = new QPushButton(QStringLiteral("ON"), &window);  // over the group, not in it
        outside->setGeometry(20, 40, 50, 30);
        auto* edit = new QLineEdit(&window);  // no caption, no name
        edit->setGeometry(20, 150, 50, 30);
        auto* renamed = new QPushButton(QStringLiteral("OFF"), &window);
        renamed->setGeometry(220, 150, 50, 30);
        renamed->setAccessibleName(QStringLiteral("something else"));
        const QStringList problems = accessibilityProblems(&window);
        QCOMPARE(problems.size(), 3);
        QVERIFY(problems.filter(QStringLiteral("lies inside group 'Brake'")).size() == 1);
        QVERIFY(problems.filter(QStringLiteral("no accessible name")).size() == 1);
        QVERIFY(problems.filter(QStringLiteral("is not its caption 'OFF'")).size() == 1);
    }

    void enterAndEscapeNeverCloseTheWindow()
    {
        Rig r;
        r.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.w.get()));
        r.w->control(ids::OpenClose)->setFocus();
        for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
            QTest::keyClick(r.w->control(ids::OpenClose), Qt::Key(key));
            QVERIFY(r.w->isVisible());
        }
        QVERIFY(!r.w->portOpen());  // Enter pressed no button either
        r.press(ids::Exit);
        QVERIFY(!r.w->isVisible());
        QCOMPARE(r.w->result(), int(QDialog::Rejected));
    }

    void theCloseBoxEndsTheWindow()
    {
        Rig r;
        r.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(r.w.get()));
        QVERIFY(r.w->close());
        QVERIFY(!r.w->isVisible());
        QCOMPARE(r.w->result(), int(QDialog::Rejected));
    }

    void ctrlIsTracked()
    {
        Rig r;
        r.w->show();
        QTest::keyPress(r.w.get(), Qt::Key_Control);
        QVERIFY(r.w->ctrlHeld());
        QTest::keyRelease(r.w.get(), Qt::Key_Control);
        QVERIFY(!r.w->ctrlHeld());
    }


    void webAndMailOpenTheProjectsAddresses()
    {
        Rig r;
        r.press(ids::Web);
        r.press(ids::Email);
        QCOMPARE(r.urls.size(), 2);
        QCOMPARE(r.urls[0].scheme(), QStringLiteral("https"));
        QCOMPARE(r.urls[0].host(), QString::fromLatin1(project::kWebHost));
        QCOMPARE(r.urls[1].toString(), QStringLiteral("mailto:") + QString::fromLatin1(project::kSupportMail));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void withoutABrowserOrMailProgramTheOperatorIsToldTheAddress()
    {
        Rig r;
        r.urlsOpen = false;
        r.press(ids::Web);
        r.press(ids::Email);
        QCOMPARE(r.notes.texts.size(), 2);
        QVERIFY(r.notes.texts[0].contains(QString::fromLatin1(project::kWebUrl)));
        QVERIFY(r.notes.texts[1].contains(QString::fromLatin1(project::kSupportMail)));
    }

    void closingWhileControllingLetsGoOfTheLinkFirst()
    {
        Rig r;
        r.start(QStringLiteral("SIM-SPEED"), SpeedControl);
        r.after(600);
        QVERIFY(!r.ports.closed);
        const int64_t before = r.clock.nowMs();
        r.w.reset();
        QVERIFY(r.ports.closed);
        QCOMPARE(r.clock.nowMs() - before, int64_t(200));  // stop, a pause, then close
        QVERIFY(r.notes.texts.isEmpty());
    }
};

QTEST_MAIN(TestStartup)
#include "test_startup.moc"
