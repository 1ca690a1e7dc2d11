#pragma once
// The schedule of a list before and during its run: each item's time, repeats, range factor
// and command, the totals, the order in which steps are played, and the idle displays.

#include "ActionTable.h"
#include "Expectations.h"
#include "SequenceLines.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace zentor {

// The largest repeat or range repeat read from a list (five digits, as the editor takes them).
constexpr int kMaxRepeat = 99999;

struct ScheduledItem {
    QString line;           // the item line as listed
    int64_t timeMs = 0;     // the time field in milliseconds, exact from its digits; 0 when negative
    int repeatCount = 1;    // whole part of the repeat field, 0..kMaxRepeat
    int rangeFactor = 1;    // 1 before the range start, the range repeat from it on
    ResolvedCommand resolved;
    QString expectations;             // the item's expectations as written
    std::vector<Expectation> checks;  // read from them under the control type
    QString checksError;              // why they could not be read; empty when they were
};

struct SequenceSchedule {
    std::vector<ScheduledItem> items;
    int rangeStartIndex = 0;  // first item of the repeated range (header start - 1; 0 when outside)
    int rangeRepeat = 1;      // header field 3, 0..kMaxRepeat
    int64_t totalMs = 0;      // sum of time x repeat x factor
    int64_t singlePassMs = 0; // sum of time x repeat
    int64_t totalSteps = 0;   // sum of repeat x factor: the steps a run sends

    bool empty() const { return items.empty(); }
    // Index of the first item that does not resolve or whose expectations cannot be read, -1
    // when every item is in order.
    int firstUnresolved() const;
    // Whether any item expects something of the driver.
    bool hasChecks() const;
    // The item a run sends as its step (0-based, below totalSteps): the items before the range
    // once, then the range rangeRepeat times, each item repeatCount times in a row.
    int itemOfStep(int64_t step) const;
};

// The schedule of the list's items under the control type; range start and range repeat come
// from the header line. Totals are exact sums of milliseconds.
SequenceSchedule ComputeSchedule(const SequenceList& list, int controlType);

// Why START refuses a schedule: names the first item that does not resolve; empty when all do.
QString UnresolvedMessage(const SequenceSchedule& schedule);

// The run's displays: total, current and remaining time, total, current and remaining items,
// and the progress bar (0..200).
struct RunDisplays {
    QString totalTime;       // 1127
    QString currentTime;     // 1129
    QString remainingTime;   // 1130
    QString totalItems;      // 1128
    QString currentItem;     // 1131
    QString remainingItems;  // 1132
    int progress = 0;        // 1021
    bool operator==(const RunDisplays&) const = default;
};

// What the displays show for a schedule before its run: placeholders for an empty list,
// otherwise the total time twice, "00:00:00.0", the step count, "0" and the step count again.
RunDisplays IdleDisplays(const SequenceSchedule& schedule);

}  // namespace zentor
