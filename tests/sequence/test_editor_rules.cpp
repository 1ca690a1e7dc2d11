// The editor row's checks of typed value, time and count, and what choosing an action does to
// the value, time and repeat boxes.

#include "EditorRules.h"

#include <QTest>

using namespace zentor;

class TestEditorRules : public QObject {
    Q_OBJECT
private slots:
    void validateValue_data()
    {
        QTest::addColumn<QString>("action");  // empty: the rule before any action is chosen
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("reducer two decimals") << "SET : REDUCER" << "1.23" << "1.23";
        QTest::newRow("reducer third decimal") << "SET : REDUCER" << "1.234" << "";
        QTest::newRow("reducer above 655") << "SET : REDUCER" << "655.01" << "";
        QTest::newRow("reducer 655") << "SET : REDUCER" << "655" << "655";
        QTest::newRow("reducer two points") << "SET : REDUCER" << "1.2.3" << "";
        QTest::newRow("current above 500") << "SET : CURRENT-LIMIT" << "501" << "";
        QTest::newRow("current 500") << "SET : CURRENT-LIMIT" << "500" << "500";
        QTest::newRow("current two decimals") << "SET : CURRENT-LIMIT" << "1.25" << "";
        QTest::newRow("acc 0.7") << "SET : ACC" << "0.7" << "0.7";
        QTest::newRow("acc above 5") << "SET : ACC" << "5.1" << "";
        QTest::newRow("position -200") << "POSITION-INPUT" << "-200" << "-200";
        QTest::newRow("position 12-3") << "POSITION-INPUT" << "12-3" << "12-3";
        QTest::newRow("position lone minus") << "POSITION-INPUT" << "-" << "-";
        QTest::newRow("position int32 max") << "POSITION-INPUT" << "2147483647" << "2147483647";
        QTest::newRow("position just above") << "POSITION-INPUT" << "2147483648" << "";
        QTest::newRow("position int32 min") << "POSITION-INPUT" << "-2147483648" << "";
        QTest::newRow("position above min") << "POSITION-INPUT" << "-2147483647" << "-2147483647";
        QTest::newRow("position letter") << "POSITION-INPUT" << "12a" << "";
        QTest::newRow("speed 30000") << "SPEED-INPUT" << "30000" << "30000";
        QTest::newRow("speed 30001") << "SPEED-INPUT" << "30001" << "";
        QTest::newRow("speed no point") << "SPEED-INPUT" << "3.5" << "";
        QTest::newRow("max rpm 65535") << "SET : MAX-RPM" << "65535" << "65535";
        QTest::newRow("max rpm 65536") << "SET : MAX-RPM" << "65536" << "";
        QTest::newRow("pole 999") << "SET : POLE" << "999" << "999";
        QTest::newRow("pole 1000") << "SET : POLE" << "1000" << "";
        QTest::newRow("before any action") << "" << "5000" << "5000";
        QTest::newRow("before any action above") << "" << "5001" << "";
        QTest::newRow("fixed action 999999") << "DIR-CW" << "999999" << "999999";
    }
    void validateValue()
    {
        QFETCH(QString, action);
        QFETCH(QString, typed);
        const ValueRule rule = action.isEmpty() ? InitialValueRule() : ValueRuleOf(action);
        QTEST(ValidateValue(typed, rule), "kept");
    }

    void validateTime_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("0.1") << "0.1" << "";
        QTest::newRow(".1") << ".1" << "";
        QTest::newRow("0.2") << "0.2" << "0.2";
        QTest::newRow("0") << "0" << "0";
        QTest::newRow("1.25") << "1.25" << "";
        QTest::newRow("two points") << "1.2.3" << "";
        QTest::newRow("letter") << "1a" << "";
        QTest::newRow("minus") << "-1" << "";
        QTest::newRow("largest") << "999999" << "999999";
        QTest::newRow("3") << "3" << "3";
    }
    void validateTime()
    {
        QFETCH(QString, typed);
        QTEST(ValidateTime(typed), "kept");
    }

    void validateCount_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("1") << "1" << "1";
        QTest::newRow("0") << "0" << "";
        QTest::newRow("00") << "00" << "00";
        QTest::newRow("point") << "1.5" << "";
        QTest::newRow("five digits") << "12345" << "12345";
    }
    void validateCount()
    {
        QFETCH(QString, typed);
        QTEST(ValidateCount(typed), "kept");
    }

    void applyActionRule_data()
    {
        QTest::addColumn<QString>("chosen");
        QTest::addColumn<QString>("rowAction");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<QStringList>("result");
        QTest::addColumn<bool>("enabled");
        // The value box's rule: unit label | characters | decimals | length | maximum
        QTest::addColumn<QString>("rule");
        QTest::newRow("fixed on new entry") << "ENABLE-RUN" << "" << QStringList{"", "", ""}
                                            << QStringList{"-", "1", "1"} << false << "Value|0123456789|0|6|999999";
        QTest::newRow("same action keeps value") << "SPEED-INPUT" << "SPEED-INPUT" << QStringList{"1800", "3", "1"}
                                                 << QStringList{"1800", "3", "1"} << true << "Value|0123456789|0|5|30000";
        QTest::newRow("other action empties value") << "SET : ACC" << "SPEED-INPUT" << QStringList{"1800", "3", "1"}
                                                    << QStringList{"", "3", "1"} << true << "(Sec)|.0123456789|1|3|5";
        QTest::newRow("dash of a fixed row emptied") << "POSITION-INPUT" << "BRAKE-ON" << QStringList{"-", "0.5", "1"}
                                                     << QStringList{"", "0.5", "1"} << true
                                                     << "(Step)|-0123456789|0|11|2147483647";
        QTest::newRow("same action, dash emptied") << "SET : REDUCER" << "SET : REDUCER" << QStringList{"-", "2", ""}
                                                   << QStringList{"", "2", "1"} << true << "Value|.0123456789|2|6|655";
        QTest::newRow("fixed row stays fixed") << "DIR-CW" << "DIR-CW" << QStringList{"-", "0.5", "1"}
                                               << QStringList{"-", "0.5", "1"} << false << "Value|0123456789|0|6|999999";
        QTest::newRow("apply") << "SET : APPLY-SETTING" << "" << QStringList{"12", "", ""}
                               << QStringList{"-", "1", "1"} << false << "Value|0123456789|0|6|999999";
        QTest::newRow("current limit") << "SET : CURRENT-LIMIT" << "" << QStringList{"", "", ""}
                                       << QStringList{"", "1", "1"} << true << "(A)|.0123456789|1|4|500";
        QTest::newRow("no action chosen") << "" << "" << QStringList{"", "", ""} << QStringList{"", "1", "1"} << true
                                          << "Value|0123456789|0|4|5000";
    }
    void applyActionRule()
    {
        QFETCH(QString, chosen);
        QFETCH(QString, rowAction);
        QFETCH(QStringList, boxes);
        QFETCH(QStringList, result);
        const ActionRuleResult r = ApplyActionRule(chosen, rowAction, {boxes[0], boxes[1], boxes[2]});
        QCOMPARE((QStringList{r.boxes.value, r.boxes.time, r.boxes.repeat}), result);
        QTEST(r.valueEnabled, "enabled");
        QCOMPARE(r.rule.fixed, !r.valueEnabled);
        const QString rule = QStringList{r.rule.unitLabel, r.rule.allowed, QString::number(r.rule.decimals),
                                         QString::number(r.rule.maxLength), QString::number(r.rule.maximum, 'f', 0)}
                                 .join(QLatin1Char('|'));
        QTEST(rule, "rule");
    }
};

QTEST_APPLESS_MAIN(TestEditorRules)
#include "test_editor_rules.moc"
