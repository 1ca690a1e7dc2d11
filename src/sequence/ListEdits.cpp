#include "ListEdits.h"

#include "ActionTable.h"
#include "Expectations.h"
#include "SequenceForms.h"
#include "TextNumbers.h"

namespace zentor {

namespace {

bool fitsLine(const QString& field) { return field.size() <= kMaxFieldLength && !field.contains(QLatin1Char(',')); }

bool hasControlType(int controlType) { return !TypeWord(controlType).isEmpty(); }

EditOutcome refused(const QString& message)
{
    EditOutcome o;
    o.status = EditStatus::Refused;
    o.message = message;
    return o;
}

}  // namespace

EditOutcome AddOrChange(SequenceList& list, const EditRequest& rq)
{
    if (!hasControlType(rq.controlType)) return {};
    if (rq.selectedIndex < 0 || rq.selectedIndex > list.itemCount) return {};
    const bool adding = rq.selectedIndex == list.itemCount;
    if (adding && list.itemCount >= kSequenceMaxItems) return refused(kListFull);
    // Only a name of the current table is stored: any other text would never be sent.
    if (ActionIndexOf(rq.action, rq.controlType) < 0) return refused(kInputCorrectValue);
    if (rq.boxes.value.isEmpty()) return refused(kInputCorrectValue);
    if (rq.boxes.time.isEmpty() || LeadingNumber(rq.boxes.time) == 0) {
        EditOutcome o = refused(kInputCorrectValue);
        o.emptyTime = true;
        return o;
    }
    if (rq.boxes.repeat.isEmpty() || LeadingNumber(rq.boxes.repeat) == 0) {
        EditOutcome o = refused(kInputCorrectValue);
        o.emptyRepeat = true;
        return o;
    }
    // The boxes' own limits keep every field short and free of commas; text that was put
    // there some other way must not break the line apart.
    if (!fitsLine(rq.boxes.value) || !fitsLine(rq.boxes.time) || !fitsLine(rq.boxes.repeat))
        return refused(kInputCorrectValue);
    const SequenceItem item{rq.action, rq.boxes.value, rq.boxes.time, rq.boxes.repeat};
    const QString expectations = rq.expectations.trimmed();
    if (const ExpectationParse p = ParseExpectations(expectations, rq.controlType, item); !p.ok())
        return refused(QStringLiteral("Expectations %1").arg(p.error));

    const bool empty = list.itemCount == 0;
    const QString start = empty ? QStringLiteral("1") : rq.rangeStart;
    const int64_t rangeRepeat = empty ? 1 : LeadingInteger(rq.rangeRepeat);
    const int count = adding ? list.itemCount + 1 : list.itemCount;
    list.lines[0] = FormatHeader(start, QString::number(count), QString::number(rangeRepeat), TypeWord(rq.controlType));
    list.lines[static_cast<size_t>(rq.selectedIndex) + 1] =
        FormatItem(rq.action, rq.boxes.value, rq.boxes.time, rq.boxes.repeat);
    list.checks[static_cast<size_t>(rq.selectedIndex) + 1] = expectations;
    if (adding) ++list.itemCount;
    EditOutcome o;
    o.status = EditStatus::Changed;
    return o;
}

EditOutcome DeleteItem(SequenceList& list, const EditRequest& rq)
{
    if (!hasControlType(rq.controlType) || list.itemCount <= 0) return {};
    if (rq.selectedIndex < 0 || rq.selectedIndex >= list.itemCount) return {};

    QString start = rq.rangeStart;
    const int end = list.itemCount;
    if (LeadingInteger(start) == end) start = QString::number(end - 1);
    list.lines[0] = FormatHeader(start, QString::number(end - 1), rq.rangeRepeat, TypeWord(rq.controlType));

    for (int line = rq.selectedIndex + 1; line < list.itemCount; ++line) {
        list.lines[static_cast<size_t>(line)] = list.lines[static_cast<size_t>(line) + 1];
        list.checks[static_cast<size_t>(line)] = list.checks[static_cast<size_t>(line) + 1];
    }
    list.lines[static_cast<size_t>(list.itemCount)].clear();
    list.checks[static_cast<size_t>(list.itemCount)].clear();
    --list.itemCount;
    EditOutcome o;
    o.status = EditStatus::Changed;
    return o;
}

LoadedList CopyStore(const QStringList& lines, const QStringList& checks)
{
    LoadedList loaded;
    loaded.list.lines[0] = lines.value(0);
    for (int i = 1; i < lines.size() && !lines[i].isEmpty(); ++i) {
        if (loaded.list.itemCount == kSequenceMaxItems) {
            ++loaded.itemsLeftOut;
            continue;
        }
        const SequenceItem item = ParseItem(lines[i]);
        if (item.action.size() > kMaxFieldLength || item.value.size() > kMaxFieldLength ||
            item.time.size() > kMaxFieldLength || item.repeat.size() > kMaxFieldLength)
            loaded.longFieldItems << i;
        loaded.list.lines[static_cast<size_t>(++loaded.list.itemCount)] = lines[i];
        loaded.list.checks[static_cast<size_t>(loaded.list.itemCount)] = checks.value(i).trimmed();
    }
    return loaded;
}

LoadedList CopyStore(const SequenceLines& store, const SequenceLines& checks)
{
    return CopyStore(QStringList(store.begin(), store.end()), QStringList(checks.begin(), checks.end()));
}

ListDisplay RebuildDisplay(const SequenceList& list)
{
    ListDisplay d;
    const int n = list.itemCount;
    for (int i = 1; i <= n; ++i) {
        d.numberEntries << QString::number(i);
        d.rangeStartEntries << QString::number(i);
        const SequenceItem item = ParseItem(list.lines[static_cast<size_t>(i)]);
        d.rows.push_back({QString::number(i), item.action, item.value, item.time, item.repeat,
                          list.checks[static_cast<size_t>(i)]});
    }
    d.numberEntries << QString::number(n + 1);
    d.rangeEnd = n > 0 ? QString::number(n) : QString();
    const SequenceHeader header = ParseHeader(list.lines[0]);
    const int64_t start = LeadingInteger(header.start) - 1;
    d.rangeStartIndex = start >= 0 && start < n ? static_cast<int>(start) : -1;
    d.rangeRepeat = header.rangeRepeat;
    d.typeWord = header.typeWord;
    return d;
}

EditorRow EditorRowFor(const SequenceList& list, int index)
{
    EditorRow row;
    if (index >= 0 && index < list.itemCount) {
        const SequenceItem item = ParseItem(list.lines[static_cast<size_t>(index) + 1]);
        row.action = item.action;
        row.boxes = {item.value, item.time, item.repeat};
        row.expectations = list.checks[static_cast<size_t>(index) + 1];
    }
    row.buttonCaption = index >= 0 && index < list.itemCount ? QStringLiteral("CHANGE") : QStringLiteral("ADD");
    return row;
}

}  // namespace zentor
