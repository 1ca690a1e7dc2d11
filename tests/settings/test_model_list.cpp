// The model list panel through "Info." on the real main window: the lines of the configuration,
// the toggle with the Ctrl rule and the focus, and lists that are empty.

#include "InfoDlg.h"
#include "PanelColours.h"
#include "SettingsRig.h"

#include <QApplication>
#include <QListWidget>

using namespace zentor;
using namespace zentor::settings;
using namespace zentor::testing;

namespace {

const QString kRule = QStringLiteral("    ----------------------");

QStringList linesOf(Rig& r)
{
    auto* panel = qobject_cast<DLG_INFO*>(r.w->infoPanel());
    if (!panel) return {};
    auto* list = qobject_cast<QListWidget*>(panel->control(info_ids::ModelLines));
    QStringList lines;
    for (int i = 0; i < list->count(); ++i) lines << list->item(i)->text();
    return lines;
}

// The main window shown and active, so that the focus can be seen.
void showActive(Rig& r)
{
    r.w->show();
    QApplication::setActiveWindow(r.w.get());
    QVERIFY(QTest::qWaitForWindowActive(r.w.get()));
}

}  // namespace

class TestModelList : public QObject {
    Q_OBJECT
private slots:
    void showsTheSeededModelsAndToggles()
    {
        Rig r;
        showActive(r);
        r.w->control(ids::OpenClose)->setFocus();
        r.press(ids::Info);
        auto* panel = qobject_cast<DLG_INFO*>(r.w->infoPanel());
        QVERIFY(panel);
        QCOMPARE(panel->parentWidget(), r.w.get());
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->pos(), QPoint(18, 170));
        QVERIFY(QRect(QPoint(0, 0), r.w->size()).contains(panel->geometry()));
        QCOMPARE(r.w->control(ids::Info)->hasFocus(), true);

        const QStringList expected = {"[Speed Control]", kRule, "    Model S1 / Model S2", "    Model S3 / Model S4",
                                      "    Model S5", "    ----------------------", "    Model S6 / Model S7",
                                      "    Model S8 / Model S9", "    Model S10", " ", "[Position Control]", kRule,
                                      "    Model P1 / Model P2", "    Model P3 / Model P4", "    Model P5",
                                      "    ----------------------", "    Model P6 / Model P7", "    Model P8",
                                      "    Model P9 / Model P10"};
        QCOMPARE(linesOf(r), expected);

        auto* list = qobject_cast<QListWidget*>(panel->control(info_ids::ModelLines));
        QCOMPARE(list->selectionMode(), QAbstractItemView::NoSelection);
        QCOMPARE(list->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
        QCOMPARE(panel->controls().text(info_ids::Heading), QStringLiteral("Selectable Model List"));
        QVERIFY(paintedWith(panel->control(info_ids::Heading), {panel::kStatusBlue, QColor(Qt::white)}));
        QCOMPARE(accessibilityProblems(r.w.get()), QStringList());

        r.w->control(ids::OpenClose)->setFocus();
        r.press(ids::Info);
        QVERIFY(!r.w->infoPanel());
        QVERIFY(!r.w->findChild<DLG_INFO*>());
        QCOMPARE(r.w->control(ids::Info)->hasFocus(), true);
    }

    void ctrlHeld_data()
    {
        QTest::addColumn<bool>("shown");
        QTest::newRow("no panel: nothing happens") << false;
        QTest::newRow("panel shown: it goes") << true;
    }
    void ctrlHeld()
    {
        QFETCH(bool, shown);
        Rig r;
        showActive(r);
        if (shown) r.press(ids::Info);
        r.w->control(ids::OpenClose)->setFocus();
        QTest::keyPress(r.w.get(), Qt::Key_Control);
        QVERIFY(r.w->ctrlHeld());
        r.press(ids::Info);
        QVERIFY(!r.w->infoPanel());
        // Without a panel to remove the press does nothing at all, the focus included.
        QCOMPARE(r.w->control(ids::Info)->hasFocus(), shown);
        QCOMPARE(r.w->control(ids::OpenClose)->hasFocus(), !shown);
        QTest::keyRelease(r.w.get(), Qt::Key_Control);
        r.press(ids::Info);
        QVERIFY(r.w->infoPanel());
    }

    void listsFromTheFile_data()
    {
        QTest::addColumn<QByteArray>("control");  // the CONTROL section's entries
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("both lists empty") << QByteArray("Speed Control=\nPosition Control=\n")
                                          << QStringList{"[Speed Control]", kRule, "[Position Control]", kRule};
        QTest::newRow("no lists at all") << QByteArray()
                                         << QStringList{"[Speed Control]", kRule, "[Position Control]", kRule};
        QTest::newRow("speed list empty") << QByteArray("Speed Control=\nPosition Control=A / B,C\n")
                                          << QStringList{"[Speed Control]", kRule, "[Position Control]", kRule,
                                                         "    A / B", "    C"};
        QTest::newRow("trailing comma") << QByteArray("Speed Control=A,B,\nPosition Control=\n")
                                        << QStringList{"[Speed Control]", kRule, "    A", "    B", "    ", " ",
                                                       "[Position Control]", kRule};
    }
    void listsFromTheFile()
    {
        QFETCH(QByteArray, control);
        Rig r({}, "[Zentor]\nConfig_INI=true\n[COMPORT]\nBaudrate=115200\n[CONTROL]\n" + control);
        r.press(ids::Info);
        QTEST(linesOf(r), "lines");
    }

    void stopsAtTheFirstEmptyLine()
    {
        Rig r;
        ModelList& models = r.w->stores().modelList;
        models.fill(QString());
        models[1] = QStringLiteral("second");  // line 0 empty: shown all the same
        models[2] = QStringLiteral(" ");
        models[3] = QStringLiteral("fourth");
        models[5] = QStringLiteral("after the gap");
        r.press(ids::Info);
        QCOMPARE(linesOf(r), (QStringList{"", "second", " ", "fourth"}));
        r.press(ids::Info);
        // Made anew at each showing, from the list as it stands then; all 100 lines at most.
        for (int i = 0; i < kModelListLines; ++i) models[size_t(i)] = QString::number(i);
        r.press(ids::Info);
        QCOMPARE(linesOf(r).size(), kModelListLines);
        QCOMPARE(linesOf(r).last(), QStringLiteral("99"));
    }
};

QTEST_MAIN(TestModelList)
#include "test_model_list.moc"
