#pragma once
// The text forms of a sequence: the item line "action,value,time,repeat" and the header line
// "start,count,range repeat,type word", and the type words of the two control types.

#include <QString>
#include <QStringList>

namespace zentor {

// One step, four fields held exactly as typed.
struct SequenceItem {
    QString action;
    QString value;
    QString time;
    QString repeat;
    bool operator==(const SequenceItem&) const = default;
};

// The header ("SET") line: first item of the repeated range, item count, range repeat, type word.
struct SequenceHeader {
    QString start;
    QString count;
    QString rangeRepeat;
    QString typeWord;
    bool operator==(const SequenceHeader&) const = default;
};

// "%s,%s,%s,%s" of action, value, time and repeat.
QString FormatItem(const QString& action, const QString& value, const QString& time, const QString& repeat);
inline QString FormatItem(const SequenceItem& item) { return FormatItem(item.action, item.value, item.time, item.repeat); }

// The line split at every comma, fields unchanged, empty fields included.
QStringList ParseLine(const QString& line);
// Fields 1 to 4 of an item line; a missing field reads as empty, fields after the fourth are ignored.
SequenceItem ParseItem(const QString& line);

// "%s,%s,%s,%s" of start, count, range repeat and type word.
QString FormatHeader(const QString& start, const QString& count, const QString& rangeRepeat, const QString& typeWord);
inline QString FormatHeader(const SequenceHeader& h) { return FormatHeader(h.start, h.count, h.rangeRepeat, h.typeWord); }
// Fields 1 to 3 of the header line; the type word is the text after the last comma (the whole
// line when it has none).
SequenceHeader ParseHeader(const QString& line);

// "Speed" for speed control, "Position" for position control, empty otherwise.
QString TypeWord(int controlType);
// The control type a type word names exactly; 0 for any other text.
int ControlTypeOfWord(const QString& word);

}  // namespace zentor
