#pragma once
// The sequence test window as the operator reaches it: through the SEQUENCE TEST launcher of a
// real main window (tests/main/Rig.h), in virtual time against the simulated drivers.

#include "Accessibility.h"
#include "SequenceIds.h"
#include "SequenceTestDlg.h"
#include "main/Rig.h"

#include <QFile>
#include <QFontInfo>
#include <QProgressBar>
#include <QTableWidget>

namespace zentor::testing {

inline const QString kSpeed = QStringLiteral("SIM-SPEED");
inline const QString kPosition = QStringLiteral("SIM-POSITION");

// The configuration file of a first start, with a user sequence section added (none when empty).
inline QByteArray ConfigWithUser(const QStringList& userLines)
{
    QFile f(QStringLiteral(ZENTOR_INI_FIXTURES "/seeded.ini"));
    if (!f.open(QIODevice::ReadOnly)) return {};
    QByteArray text = f.readAll();
    if (userLines.isEmpty()) return text;
    text += "\n[SEQ_TEST_USR]\nSET=" + userLines[0].toUtf8() + "\n";
    for (int i = 1; i < userLines.size(); ++i) text += QByteArray::number(i) + "=" + userLines[i].toUtf8() + "\n";
    return text;
}

inline QByteArray WriteFrame(int slave, int reg, int value)
{
    uint8_t out[kFrameBufferSize];
    return QByteArray(reinterpret_cast<char*>(out), BuildWriteSingleRegister(out, slave, reg, uint16_t(value)));
}

// The window and its controls, opened by pressing SEQUENCE TEST.
struct SeqWindow {
    explicit SeqWindow(Rig& rig) : r(rig) {}

    // Presses the launcher; false when no window opened.
    bool open()
    {
        r.press(ids::SequenceTest);
        d = r.w->findChild<DLG_SEQ_TEST*>();
        return d && d->isVisible();
    }
    // Makes the window the active one, so that its boxes can hold the keyboard focus.
    bool activate()
    {
        d->activateWindow();
        return QTest::qWaitForWindowActive(d);
    }
    template <class W>
    W* get(int id) const { return d->controlAs<W>(id); }
    QString text(int id) const { return d->controls().text(id); }
    bool enabled(int id) const { return d->control(id)->isEnabled(); }
    // A press, and the window's busy guard let go of afterwards.
    void press(int id)
    {
        get<QPushButton>(id)->click();
        r.after(500);
    }
    // A choice in a drop-down list, as the operator makes it.
    void choose(int id, int index)
    {
        auto* box = get<QComboBox>(id);
        box->setCurrentIndex(index);
        emit box->activated(index);
    }
    void chooseText(int id, const QString& text) { choose(id, get<QComboBox>(id)->findText(text)); }
    void selectType(int type)
    {
        get<QComboBox>(seqids::TypeList)->setCurrentIndex(type);
        press(seqids::Select);
    }
    // A program-set text: not checked as typing is.
    void set(int id, const QString& text) { get<QLineEdit>(id)->setText(text); }
    // Adds an item on the new-item entry: action, value (when it takes one) and time.
    void add(const QString& action, const QString& value, const QString& time)
    {
        choose(seqids::NumberList, get<QComboBox>(seqids::NumberList)->count() - 1);
        chooseText(seqids::ActionList, action);
        if (get<QLineEdit>(seqids::ValueEdit)->isEnabled()) set(seqids::ValueEdit, value);
        set(seqids::TimeEdit, time);
        press(seqids::AddChange);
    }
    QString cell(int row, int column) const
    {
        QTableWidgetItem* item = get<QTableWidget>(seqids::ItemList)->item(row, column);
        return item ? item->text() : QString();
    }
    int rows() const { return get<QTableWidget>(seqids::ItemList)->rowCount(); }
    QStringList entries(int id) const
    {
        QStringList out;
        auto* box = get<QComboBox>(id);
        for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
        return out;
    }
    // The row that carries the ">" mark, -1 for none.
    int markedRow() const
    {
        for (int r = 0; r < rows(); ++r)
            if (cell(r, 0) == QLatin1String(">")) return r;
        return -1;
    }
    bool runTimerOn() { return d->scheduler().isRunning(DLG_SEQ_TEST::RunTimer); }

    Rig& r;
    DLG_SEQ_TEST* d = nullptr;
};

// The register writes sent since the log was last cleared (status reads left out).
inline std::vector<Sent> Writes(const Rig& r)
{
    std::vector<Sent> out;
    for (const Sent& s : r.ports.sent)
        if (s.function() == 0x06 || s.function() == 0x10) out.push_back(s);
    return out;
}

}  // namespace zentor::testing
