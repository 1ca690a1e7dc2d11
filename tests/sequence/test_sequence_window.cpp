// The sequence test window through its real widgets, opened from the main window: opening,
// status texts and enabling, the control type, STOP Control Motor, the keyboard filter, the
// list editor, saving and loading, colours and what a screen reader finds.

#include "ActionTable.h"
#include "IniProfile.h"
#include "PanelColours.h"
#include "Pixels.h"
#include "SequenceRig.h"

#include <QFontInfo>
#include <QImage>
#include <QScreen>

using namespace zentor;
using namespace zentor::testing;

namespace {


// Types into a box that holds the keyboard focus, key by key.
void typeInto(SeqWindow& s, int id, const QString& text)
{
    auto* box = s.get<QLineEdit>(id);
    box->setFocus();
    QVERIFY(box->hasFocus());
    box->clear();
    QTest::keyClicks(box, text);
}

}  // namespace

class TestSequenceWindow : public QObject {
    Q_OBJECT
private slots:
    void opensEmptyWithoutAType()
    {
        Rig r;
        r.selectType(SpeedControl);  // the main window's type is not taken over
        SeqWindow s(r);
        QVERIFY(s.open());
        QCOMPARE(s.d->windowTitle(), QStringLiteral("Sequence Test"));
        QCOMPARE(s.entries(seqids::TypeList), (QStringList{"(Select)", "Speed Control", "Position Control"}));
        QCOMPARE(s.text(seqids::TypeList), QStringLiteral("(Select)"));
        QCOMPARE(s.d->controlType(), 0);
        QCOMPARE(s.rows(), 0);
        QVERIFY(s.entries(seqids::NumberList).isEmpty());
        QVERIFY(s.entries(seqids::ActionList).isEmpty());
        QCOMPARE(s.text(seqids::StatusLine), QStringLiteral("  [OPEN] COM Port Open and Sequence Test"));
        QCOMPARE(s.text(seqids::IdLabel), QStringLiteral("ID : 100 (0x64)"));
        QCOMPARE(s.text(seqids::RunTypeLabel), QStringLiteral("(Select)"));
        QCOMPARE(s.text(seqids::SelectTypeLabel), QStringLiteral("(Select)"));
        QCOMPARE(s.text(seqids::TotalTime), QStringLiteral("--:--:--.-"));
        QCOMPARE(s.text(seqids::TotalItems), QStringLiteral("---"));
        QCOMPARE(s.get<QProgressBar>(seqids::Progress)->maximum(), 200);
        QVERIFY(!s.enabled(seqids::StartPause));
        QVERIFY(!s.enabled(seqids::Reset));
        QVERIFY(!s.enabled(seqids::RepeatEdit));
        // The range block is there, hidden and disabled.
        for (int id : {seqids::RangeStart, seqids::RangeEnd, seqids::RangeRepeat, seqids::ApplyRange}) {
            QVERIFY(s.d->control(id));
            QVERIFY(!s.d->control(id)->isVisible());
            QVERIFY(!s.d->control(id)->isEnabled());
        }
        // Editing needs no port.
        QVERIFY(s.enabled(seqids::AddChange));
        QVERIFY(s.enabled(seqids::Select));
        QCOMPARE(r.w->controlType(), int(SpeedControl));
    }

    void selectTypeSwitchesTheConsole()
    {
        Rig r;
        SeqWindow s(r);
        QVERIFY(s.open());
        s.selectType(SpeedControl);
        QCOMPARE(s.entries(seqids::ActionList), ActionNames(SpeedControl));
        QCOMPARE(s.entries(seqids::ActionList).size(), 15);
        QCOMPARE(s.get<QComboBox>(seqids::ActionList)->currentIndex(), -1);
        QCOMPARE(r.w->controlType(), int(SpeedControl));
        QCOMPARE(s.text(seqids::RunTypeLabel), QStringLiteral("Speed Ctrl"));
        QCOMPARE(s.entries(seqids::NumberList), QStringList{"1"});
        QCOMPARE(s.rows(), 0);

        s.selectType(PositionControl);
        QCOMPARE(s.entries(seqids::ActionList), ActionNames(PositionControl));
        QCOMPARE(r.w->controlType(), int(PositionControl));
        QCOMPARE(s.text(seqids::SelectTypeLabel), QStringLiteral("Position Ctrl"));

        s.selectType(0);
        QVERIFY(s.entries(seqids::ActionList).isEmpty());
        QCOMPARE(r.w->controlType(), 0);
        QCOMPARE(s.d->controlType(), 0);
    }

    void statusFollowsThePollCycle()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(600);
        SeqWindow s(r);
        QVERIFY(s.open());
        QCOMPARE(s.text(seqids::StatusLine), QStringLiteral("  [STOP] Control Motor"));
        QVERIFY(!s.enabled(seqids::StartPause));
        QVERIFY(!s.enabled(seqids::Reset));

        s.get<QPushButton>(seqids::StopControlMotor)->click();
        QVERIFY(!r.w->running());
        QVERIFY(s.d->scheduler().isRunning(DLG_SEQ_TEST::ReplyTimer));
        r.after(200);
        QVERIFY(r.notes.texts.isEmpty());
        QCOMPARE(s.text(seqids::StatusLine), QStringLiteral("  [TEST] Sequence Test Settings"));
        QVERIFY(s.enabled(seqids::StartPause));
        QVERIFY(s.enabled(seqids::Reset));
        // With polling stopped nothing more goes out on its own.
        r.ports.sent.clear();
        r.after(2000);
        QVERIFY(r.ports.sent.empty());
    }

    void enterAndEscapeAreSwallowed_data()
    {
        QTest::addColumn<int>("box");
        QTest::addColumn<int>("key");
        for (int box : {int(seqids::ValueEdit), int(seqids::TimeEdit)}) {
            const QByteArray name = box == seqids::ValueEdit ? "value " : "time ";
            QTest::newRow(name + "Return") << box << int(Qt::Key_Return);
            QTest::newRow(name + "Enter") << box << int(Qt::Key_Enter);
            QTest::newRow(name + "Escape") << box << int(Qt::Key_Escape);
        }
    }
    void enterAndEscapeAreSwallowed()
    {
        QFETCH(int, box);
        QFETCH(int, key);
        Rig r;
        r.open(kSpeed);
        SeqWindow s(r);
        QVERIFY(s.open());
        QVERIFY(s.activate());
        s.selectType(SpeedControl);
        s.chooseText(seqids::ActionList, QStringLiteral("SPEED-INPUT"));
        s.set(seqids::ValueEdit, QStringLiteral("1000"));
        s.get<QLineEdit>(box)->setFocus();
        QTest::keyClick(s.get<QLineEdit>(box), Qt::Key(key));
        r.after(500);
        QVERIFY(s.d->isVisible());
        QCOMPARE(s.d->list().itemCount, 0);
        QVERIFY(r.notes.texts.isEmpty());
        QCOMPARE(s.text(seqids::ValueEdit), QStringLiteral("1000"));
    }

    void actionRuleAndAddChangeDelete()
    {
        Rig r;
        SeqWindow s(r);
        QVERIFY(s.open());
        s.selectType(SpeedControl);
        s.chooseText(seqids::ActionList, QStringLiteral("ENABLE-RUN"));
        QCOMPARE(s.text(seqids::ValueEdit), QStringLiteral("-"));
        QVERIFY(!s.enabled(seqids::ValueEdit));
        QCOMPARE(s.text(seqids::TimeEdit), QStringLiteral("1"));
        QCOMPARE(s.text(seqids::RepeatEdit), QStringLiteral("1"));
        s.press(seqids::AddChange);
        QCOMPARE(s.d->list().lines[0], QStringLiteral("1,1,1,Speed"));
        QCOMPARE(s.d->list().lines[1], QStringLiteral("ENABLE-RUN,-,1,1"));
        QCOMPARE(s.entries(seqids::NumberList), (QStringList{"1", "2"}));
        QCOMPARE(s.text(seqids::NumberList), QStringLiteral("2"));
        QCOMPARE(s.get<QComboBox>(seqids::ActionList)->currentIndex(), -1);
        QCOMPARE(s.text(seqids::TimeEdit), QString());
        QCOMPARE((QStringList{s.cell(0, 0), s.cell(0, 1), s.cell(0, 2), s.cell(0, 3), s.cell(0, 4), s.cell(0, 5)}),
                 (QStringList{"", "1", "ENABLE-RUN", "-", "1", "1"}));

        // The unit label follows the action; a new choice empties the value.
        s.add(QStringLiteral("SET : ACC"), QStringLiteral("0.7"), QStringLiteral("2"));
        QCOMPARE(s.d->list().lines[2], QStringLiteral("SET : ACC,0.7,2,1"));
        s.chooseText(seqids::ActionList, QStringLiteral("SET : CURRENT-LIMIT"));
        QCOMPARE(s.text(seqids::UnitLabel), QStringLiteral("(A)"));

        // CHANGE of item 1 from the No. list.
        s.choose(seqids::NumberList, 1);
        QCOMPARE(s.text(seqids::AddChange), QStringLiteral("CHANGE"));
        QCOMPARE(s.text(seqids::ActionList), QStringLiteral("SET : ACC"));
        QCOMPARE(s.text(seqids::ValueEdit), QStringLiteral("0.7"));
        QCOMPARE(s.text(seqids::UnitLabel), QStringLiteral("(Sec)"));
        s.set(seqids::ValueEdit, QStringLiteral("1.5"));
        s.press(seqids::AddChange);
        QCOMPARE(s.d->list().itemCount, 2);
        QCOMPARE(s.d->list().lines[2], QStringLiteral("SET : ACC,1.5,2,1"));
        QCOMPARE(s.text(seqids::TotalTime), QStringLiteral("00:00:03.0"));

        // Refusals: nothing changes, the operator is told.
        s.choose(seqids::NumberList, 2);
        s.chooseText(seqids::ActionList, QStringLiteral("SPEED-INPUT"));
        s.press(seqids::AddChange);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Input Correct Value")});
        s.set(seqids::ValueEdit, QStringLiteral("100"));
        s.set(seqids::TimeEdit, QStringLiteral("0"));
        s.press(seqids::AddChange);
        QCOMPARE(r.notes.texts.size(), 2);
        QCOMPARE(s.text(seqids::TimeEdit), QString());
        QCOMPARE(s.d->list().itemCount, 2);

        // DELETE of the new-item entry does nothing; of the last items empties the list.
        s.press(seqids::Delete);
        QCOMPARE(s.d->list().itemCount, 2);
        s.choose(seqids::NumberList, 0);
        s.press(seqids::Delete);
        QCOMPARE(s.d->list().lines[0], QStringLiteral("1,1,1,Speed"));
        QCOMPARE(s.cell(0, 2), QStringLiteral("SET : ACC"));
        s.choose(seqids::NumberList, 0);
        s.press(seqids::Delete);
        QCOMPARE(s.d->list().lines[0], QStringLiteral("0,0,1,Speed"));
        QCOMPARE(s.rows(), 0);
        QCOMPARE(s.text(seqids::TotalTime), QStringLiteral("--:--:--.-"));
        s.add(QStringLiteral("DIR-CW"), QString(), QStringLiteral("0.5"));
        QCOMPARE(s.d->list().lines[0], QStringLiteral("1,1,1,Speed"));
    }

    void typingIsCheckedOnlyInTheFocusedBox_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const int value = seqids::ValueEdit;
        const int time = seqids::TimeEdit;
        QTest::newRow("reducer 1.234") << "SET : REDUCER" << value << "1.234" << "";
        QTest::newRow("reducer 655.01") << "SET : REDUCER" << value << "655.01" << "";
        QTest::newRow("reducer 655") << "SET : REDUCER" << value << "655" << "655";
        QTest::newRow("current limit 501") << "SET : CURRENT-LIMIT" << value << "501" << "";
        QTest::newRow("current limit five characters") << "SET : CURRENT-LIMIT" << value << "12.55" << "12.5";
        QTest::newRow("position -200") << "POSITION-INPUT" << value << "-200" << "-200";
        QTest::newRow("speed letter") << "SPEED-INPUT" << value << "12a" << "";
        QTest::newRow("time 0.1") << "SPEED-INPUT" << time << "0.1" << "";
        QTest::newRow("time 0.2") << "SPEED-INPUT" << time << "0.2" << "0.2";
        QTest::newRow("time 1.25") << "SPEED-INPUT" << time << "1.25" << "";
        QTest::newRow("time 0") << "SPEED-INPUT" << time << "0" << "0";
    }
    void typingIsCheckedOnlyInTheFocusedBox()
    {
        QFETCH(QString, action);
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Rig r;
        SeqWindow s(r);
        QVERIFY(s.open());
        QVERIFY(s.activate());
        s.selectType(action == QLatin1String("POSITION-INPUT") ? PositionControl : SpeedControl);
        s.chooseText(seqids::ActionList, action);
        typeInto(s, box, typed);
        QCOMPARE(s.text(box), shown);
        // A text the window itself puts there is taken as it is.
        s.get<QPushButton>(seqids::AddChange)->setFocus();
        s.set(box, typed);
        QCOMPARE(s.text(box), typed);
    }

    // A box refuses a character past its length where it is typed, in the middle as at the end;
    // the value box's length is that of the chosen action's rule.
    void aCharacterPastTheLengthIsRefused_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("box");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        const int value = seqids::ValueEdit;
        const int time = seqids::TimeEdit;
        QTest::newRow("current limit, 4") << "SET : CURRENT-LIMIT" << value << "12.5" << "12.5";
        QTest::newRow("speed, 5") << "SPEED-INPUT" << value << "12345" << "12345";
        QTest::newRow("pole, 3") << "SET : POLE" << value << "999" << "999";
        QTest::newRow("reducer, 6") << "SET : REDUCER" << value << "100.25" << "100.25";
        QTest::newRow("time, 6") << "SPEED-INPUT" << time << "999999" << "999999";
    }
    void aCharacterPastTheLengthIsRefused()
    {
        QFETCH(QString, action);
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        Rig r;
        SeqWindow s(r);
        QVERIFY(s.open());
        QVERIFY(s.activate());
        s.selectType(SpeedControl);
        s.chooseText(seqids::ActionList, action);
        typeInto(s, box, typed);
        QCOMPARE(s.text(box), shown);
        auto* edit = s.get<QLineEdit>(box);
        QTest::keyClick(edit, Qt::Key_Home);
        QTest::keyClicks(edit, QStringLiteral("1"));
        QCOMPARE(s.text(box), shown);
        QTest::keyClick(edit, Qt::Key_End);
        QTest::keyClicks(edit, QStringLiteral("0"));
        QCOMPARE(s.text(box), shown);
    }

    void busyGuardOnAdd()
    {
        Rig r;
        SeqWindow s(r);
        QVERIFY(s.open());
        s.selectType(SpeedControl);
        s.chooseText(seqids::ActionList, QStringLiteral("ENABLE-RUN"));
        s.get<QPushButton>(seqids::AddChange)->click();
        QCOMPARE(s.d->list().itemCount, 1);
        r.after(100);
        s.choose(seqids::NumberList, 1);
        s.chooseText(seqids::ActionList, QStringLiteral("ENABLE-STOP"));
        s.get<QPushButton>(seqids::AddChange)->click();
        QCOMPARE(s.d->list().itemCount, 1);  // within 500 ms of the first: ignored
        r.after(400);
        s.get<QPushButton>(seqids::AddChange)->click();
        QCOMPARE(s.d->list().itemCount, 2);
    }

    // Select and STOP Control Motor share the window's busy guard with every other button.
    void busyGuardOnSelectAndStop()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(600);
        SeqWindow s(r);
        QVERIFY(s.open());
        s.get<QComboBox>(seqids::TypeList)->setCurrentIndex(1);
        s.get<QPushButton>(seqids::Select)->click();
        QCOMPARE(s.d->controlType(), int(SpeedControl));
        r.after(100);
        // Within 500 ms of the first: ignored, not even told that the console polls.
        s.get<QComboBox>(seqids::TypeList)->setCurrentIndex(2);
        s.get<QPushButton>(seqids::Select)->click();
        QCOMPARE(s.d->controlType(), int(SpeedControl));
        s.get<QPushButton>(seqids::StopControlMotor)->click();
        QVERIFY(r.w->running());
        QVERIFY(!s.d->scheduler().isRunning(DLG_SEQ_TEST::ReplyTimer));
        QVERIFY(r.notes.texts.isEmpty());
        r.after(400);
        s.get<QPushButton>(seqids::StopControlMotor)->click();
        QVERIFY(!r.w->running());
        QVERIFY(s.d->scheduler().isRunning(DLG_SEQ_TEST::ReplyTimer));
    }

    // The console's Stop takes the status read on its way along, so what the check after STOP
    // Control Motor can find missing is a request written after the stop; here one the silent
    // driver never answers, written through the main window.
    void aMissingAnswerAtTheCheckAfterStopIsAFailure()
    {
        Rig r;
        r.start(kSpeed, SpeedControl);
        r.after(600);
        SeqWindow s(r);
        QVERIFY(s.open());
        s.get<QPushButton>(seqids::StopControlMotor)->click();
        QVERIFY(!r.w->running());
        r.driver(kSpeed).faults().silent = true;
        r.after(50);
        r.w->SendSequenceCommand(SequenceCommand{WriteRegister, 3, 1});
        r.after(149);
        QVERIFY(r.notes.texts.isEmpty());
        r.after(1);
        QCOMPARE(r.notes.texts, QStringList{"Check Device or Connected Line"});
        QVERIFY(!r.w->awaiting());
        QVERIFY(r.w->portOpen());
        QCOMPARE(s.text(seqids::StatusLine), QStringLiteral("  [TEST] Sequence Test Settings"));
    }

    void loadUserWithNothingSaved()
    {
        Rig r;
        SeqWindow s(r);
        QVERIFY(s.open());
        s.selectType(PositionControl);
        s.add(QStringLiteral("BRAKE-ON"), QString(), QStringLiteral("1"));
        QCOMPARE(s.rows(), 1);
        s.press(seqids::LoadUser);
        QCOMPARE(s.rows(), 0);
        QCOMPARE(s.d->list().itemCount, 0);
        QCOMPARE(s.d->controlType(), 0);
        QCOMPARE(r.w->controlType(), 0);
        QCOMPARE(s.text(seqids::TypeList), QStringLiteral("(Select)"));
        QCOMPARE(s.text(seqids::RunTypeLabel), QStringLiteral("(Select)"));
        QVERIFY(s.entries(seqids::ActionList).isEmpty());
        QCOMPARE(s.text(seqids::TotalTime), QStringLiteral("--:--:--.-"));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void saveUserWritesExactlyItsKeys()
    {
        // An older user sequence of five items is in the file.
        Rig r({}, ConfigWithUser({"1,5,1,Speed", "DIR-CW,-,1,1", "DIR-CW,-,1,1", "DIR-CW,-,1,1", "DIR-CW,-,1,1",
                                  "DIR-CW,-,1,1"}));
        SeqWindow s(r);
        QVERIFY(s.open());
        s.selectType(SpeedControl);
        s.press(seqids::LoadInitial);
        QCOMPARE(s.rows(), 7);
        for (int i = 0; i < 4; ++i) {
            s.choose(seqids::NumberList, 3);
            s.press(seqids::Delete);
        }
        QCOMPARE(s.d->list().lines[0], QStringLiteral("1,3,1,Speed"));
        s.press(seqids::SaveUser);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Current Sequence Test List was Saved")});

        IniProfile file(r.configPath());
        QStringList keys = file.keys(QStringLiteral("SEQ_TEST_USR"));
        keys.sort();
        QCOMPARE(keys, (QStringList{"1", "2", "3", "SET"}));
        QCOMPARE(file.read(QStringLiteral("SEQ_TEST_USR"), QStringLiteral("SET")), QStringLiteral("1,3,1,Speed"));
        QCOMPARE(file.read(QStringLiteral("SEQ_TEST_USR"), QStringLiteral("3")), QStringLiteral("DIR-CW,-,0.5,1"));

        // Delete two, then Load User: the saved list comes back whole.
        for (int i = 0; i < 2; ++i) {
            s.choose(seqids::NumberList, 0);
            s.press(seqids::Delete);
        }
        QCOMPARE(s.rows(), 1);
        s.press(seqids::LoadUser);
        QCOMPARE(s.rows(), 3);
        QCOMPARE(s.cell(2, 2), QStringLiteral("DIR-CW"));
        QCOMPARE(s.d->controlType(), int(SpeedControl));
    }

    void saveUserWithoutAListDoesNothing()
    {
        Rig r;
        SeqWindow s(r);
        QVERIFY(s.open());
        s.press(seqids::SaveUser);
        s.selectType(SpeedControl);
        s.press(seqids::SaveUser);
        QVERIFY(r.notes.texts.isEmpty());
        QVERIFY(IniProfile(r.configPath()).keys(QStringLiteral("SEQ_TEST_USR")).isEmpty());
    }

    void loadUserSwitchesToItsControlType()
    {
        Rig r({}, ConfigWithUser({"1,2,1,Position", "BRAKE-ON,-,0.5,1", "POSITION-INPUT,100,0.5,1"}));
        r.selectType(SpeedControl);
        SeqWindow s(r);
        QVERIFY(s.open());
        s.selectType(SpeedControl);
        s.press(seqids::LoadUser);
        QCOMPARE(s.d->controlType(), int(PositionControl));
        QCOMPARE(r.w->controlType(), int(PositionControl));
        QCOMPARE(s.text(seqids::TypeList), QStringLiteral("Position Control"));
        QCOMPARE(s.text(seqids::RunTypeLabel), QStringLiteral("Position Ctrl"));
        QCOMPARE(s.entries(seqids::ActionList), ActionNames(PositionControl));
        QCOMPARE(s.entries(seqids::ActionList).size(), 14);
        QCOMPARE(s.rows(), 2);
        QCOMPARE(s.text(seqids::TotalItems), QStringLiteral("2"));
        QCOMPARE(s.text(seqids::TotalTime), QStringLiteral("00:00:01.0"));
        QVERIFY(r.notes.texts.isEmpty());
    }

    void theControlTypeStaysWhileTheConsolePolls()
    {
        // As on the main window: a type change needs communication stopped.
        Rig r({}, ConfigWithUser({"1,1,1,Position", "BRAKE-ON,-,0.5,1"}));
        r.start(kSpeed, SpeedControl);
        r.after(600);
        SeqWindow s(r);
        QVERIFY(s.open());
        s.selectType(PositionControl);
        QCOMPARE(r.notes.texts, QStringList{QStringLiteral("Stop Contorl Motor")});
        QCOMPARE(r.w->controlType(), int(SpeedControl));
        QCOMPARE(s.d->controlType(), 0);
        r.after(500);
        s.press(seqids::LoadUser);
        QCOMPARE(r.notes.texts.size(), 2);
        QCOMPARE(r.w->controlType(), int(SpeedControl));
        QCOMPARE(s.rows(), 0);
        QVERIFY(r.w->running());
        // The same type as the console's is no change.
        r.after(500);
        s.selectType(SpeedControl);
        QCOMPARE(r.notes.texts.size(), 2);
        QCOMPARE(s.d->controlType(), int(SpeedControl));
    }

    void loadInitialReplacesTheList()
    {
        Rig r;
        SeqWindow s(r);
        QVERIFY(s.open());
        s.press(seqids::LoadInitial);  // without a type: nothing
        QCOMPARE(s.rows(), 0);
        s.selectType(PositionControl);
        s.press(seqids::LoadInitial);
        QCOMPARE(s.rows(), 10);
        QCOMPARE(s.text(seqids::TotalTime), QStringLiteral("00:00:11.0"));
        s.add(QStringLiteral("BRAKE-OFF"), QString(), QStringLiteral("1"));
        QCOMPARE(s.rows(), 11);
        s.press(seqids::LoadInitial);
        QCOMPARE(s.rows(), 10);
        QCOMPARE(s.d->list().lines[0], QStringLiteral("1,10,1,Position"));
    }

    void coloursFontAndSize()
    {
        Rig r;
        SeqWindow s(r);
        QVERIFY(s.open());
        QVERIFY(paintedWith(s.d->control(seqids::StatusLine), {panel::kStatusBlue, Qt::white}));
        QVERIFY(!paintedWith(s.d->control(seqids::StatusLine), {QColor(240, 240, 240)}));
        QVERIFY(paintedWith(s.d->control(seqids::IdLabel), {QColor(250, 250, 250), Qt::black}));
        const QFontInfo start(s.d->control(seqids::StartLabel)->font());
        QVERIFY2(QStringList({"Arial", "Liberation Sans", "Arimo"}).contains(start.family()), qPrintable(start.family()));
        QCOMPARE(start.pixelSize(), 14);
        // Fits a 1366 x 768 screen with a title bar and a task bar.
        QVERIFY(s.d->width() <= 1366);
        QVERIFY(s.d->height() <= 768 - 30 - 40);
    }

    void accessibility()
    {
        Rig r;
        r.open(kSpeed);
        SeqWindow s(r);
        QVERIFY(s.open());
        s.selectType(SpeedControl);
        s.press(seqids::LoadInitial);
        const QStringList problems = accessibilityProblems(s.d);
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join('\n')));
        QCOMPARE(accessibleName(s.d->control(seqids::ValueEdit)), QStringLiteral("Value"));
        QCOMPARE(accessibleName(s.d->control(seqids::ItemList)), QStringLiteral("ITEM LIST"));
        // The groups hold their controls.
        QVERIFY(s.d->control(seqids::EditGroup)->isAncestorOf(s.d->control(seqids::AddChange)));
        QVERIFY(s.d->control(seqids::UserGroup)->isAncestorOf(s.d->control(seqids::LoadUser)));
        QVERIFY(s.d->control(seqids::TypeGroup)->isAncestorOf(s.d->control(seqids::Select)));
    }
};

QTEST_MAIN(TestSequenceWindow)
#include "test_sequence_window.moc"
