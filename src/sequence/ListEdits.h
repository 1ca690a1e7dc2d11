#pragma once
// Changes to the list being edited: add or change an item, delete one, take a stored list
// over, and what the item list, the number lists and the editor row show for a list.

#include "EditorRules.h"
#include "SequenceLines.h"

#include <QString>
#include <QStringList>
#include <vector>

namespace zentor {

// Message shown when ADD/CHANGE lacks an action, a value, a time or a repeat.
inline const QString kInputCorrectValue = QStringLiteral("Input Correct Value");
// Message shown when ADD finds the list holding kSequenceMaxItems items.
inline const QString kListFull = QStringLiteral("The list holds 39 items at most");

enum class EditStatus {
    Changed,   // the list changed: empty the action, value, time and repeat boxes, rebuild the list
    Ignored,   // nothing happens (no control type, empty list, new-item entry for DELETE)
    Refused,   // nothing changes; show message
};

struct EditOutcome {
    EditStatus status = EditStatus::Ignored;
    QString message;           // the OK message box's text when refused
    bool emptyTime = false;    // the time box is emptied (empty or zero time)
    bool emptyRepeat = false;  // the repeat box is emptied (empty or zero repeat)
};

// What the editor's ADD/CHANGE and DELETE read besides the list.
struct EditRequest {
    int controlType = 0;
    int selectedIndex = 0;   // No. list index; itemCount is the new-item entry
    QString action;          // the selected action name, empty when none is selected
    EditorBoxes boxes;       // value, time, repeat
    QString rangeStart;      // the selected entry of the range-start list (empty when none)
    QString rangeRepeat;     // the range-repeat text
    QString expectations;    // the expectations box: what the item expects of the driver
};

// ADD on the new-item entry, CHANGE on an item. Header "%s,%d,%d,%s" of the start ("1" for an
// empty list), the count after the edit, the integer reading of the range repeat ("1" for an
// empty list) and the type word; then the item line at the selected place.
EditOutcome AddOrChange(SequenceList& list, const EditRequest& request);

// Removes the selected item and writes the header start, count-1, range repeat text, type word,
// where the start moves back by one when it was the last item.
EditOutcome DeleteItem(SequenceList& list, const EditRequest& request);

// A stored list taken over by the editor: line 0 always, then item lines up to the first empty
// one, at most kSequenceMaxItems.
struct LoadedList {
    SequenceList list;
    int itemsLeftOut = 0;          // item lines beyond the 39th that were not taken
    QList<int> longFieldItems;     // item numbers with a field over kMaxFieldLength characters;
                                   // they are kept but refused at START
};
// checks: the expectations of the items, by item line (none when omitted).
LoadedList CopyStore(const SequenceLines& store, const SequenceLines& checks = {});
// The same for lines read from a file, which may hold more than 40.
LoadedList CopyStore(const QStringList& lines, const QStringList& checks = {});

// What the item list and the number lists show for a list (the list's rebuild).
struct ListRow {
    QString number;  // "%d" from 1
    QString action, value, time, repeat;
    QString expectations;
};
struct ListDisplay {
    std::vector<ListRow> rows;
    QStringList numberEntries;      // No. list: "1".."n" and "n+1" for a new item (selected)
    QStringList rangeStartEntries;  // range start list: "1".."n"
    int rangeStartIndex = -1;       // its selection: header start - 1, -1 when outside the list
    QString rangeEnd;               // "%d" n, empty when n is 0
    QString rangeRepeat;            // header field 3
    QString typeWord;               // text after the header's last comma
};
ListDisplay RebuildDisplay(const SequenceList& list);

// The editor row for No. entry index: the row's action, value, time and repeat (all empty for
// the new-item entry) and the button caption "ADD" or "CHANGE".
struct EditorRow {
    QString action;
    EditorBoxes boxes;
    QString expectations;
    QString buttonCaption;
};
EditorRow EditorRowFor(const SequenceList& list, int index);

}  // namespace zentor
