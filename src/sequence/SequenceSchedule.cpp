#include "SequenceSchedule.h"

#include "RunTimeFormats.h"
#include "SequenceForms.h"
#include "TextNumbers.h"

#include <algorithm>
#include <limits>

namespace zentor {

namespace {

constexpr int64_t kSaturated = std::numeric_limits<int64_t>::max();

// Hand-edited lists may hold absurd times and repeats: sums stop at the largest number.
int64_t addSat(int64_t a, int64_t b)
{
    int64_t r = 0;
    return __builtin_add_overflow(a, b, &r) ? kSaturated : r;
}

int64_t mulSat(int64_t a, int64_t b)
{
    int64_t r = 0;
    return __builtin_mul_overflow(a, b, &r) ? kSaturated : r;
}

int repeatOf(const QString& text)
{
    const double r = LeadingNumber(text);
    if (!(r >= 1)) return 0;
    return r >= kMaxRepeat ? kMaxRepeat : static_cast<int>(r);
}

}  // namespace

int SequenceSchedule::firstUnresolved() const
{
    for (size_t k = 0; k < items.size(); ++k)
        if (!items[k].resolved.ok() || !items[k].checksError.isEmpty()) return static_cast<int>(k);
    return -1;
}

bool SequenceSchedule::hasChecks() const
{
    for (const ScheduledItem& item : items)
        if (!item.checks.empty()) return true;
    return false;
}

int SequenceSchedule::itemOfStep(int64_t step) const
{
    const int n = static_cast<int>(items.size());
    const int s = std::min(rangeStartIndex, n);
    int64_t before = 0;
    for (int k = 0; k < s; ++k) before += items[static_cast<size_t>(k)].repeatCount;
    int64_t p = step;
    int first = 0;
    if (p >= before) {
        int64_t range = 0;
        for (int k = s; k < n; ++k) range += items[static_cast<size_t>(k)].repeatCount;
        if (range == 0) return -1;
        p = (p - before) % range;
        first = s;
    }
    for (int k = first; k < n; ++k) {
        const int c = items[static_cast<size_t>(k)].repeatCount;
        if (p < c) return k;
        p -= c;
    }
    return -1;
}

SequenceSchedule ComputeSchedule(const SequenceList& list, int controlType)
{
    SequenceSchedule s;
    const int n = std::clamp(list.itemCount, 0, kSequenceMaxItems);
    if (n == 0) return s;
    const SequenceHeader header = ParseHeader(list.lines[0]);
    const int64_t start = LeadingInteger(header.start) - 1;
    s.rangeStartIndex = start >= 0 && start < n ? static_cast<int>(start) : 0;
    s.rangeRepeat = static_cast<int>(std::clamp<int64_t>(LeadingInteger(header.rangeRepeat), 0, kMaxRepeat));

    for (int k = 0; k < n; ++k) {
        ScheduledItem item;
        item.line = list.lines[static_cast<size_t>(k) + 1];
        const SequenceItem fields = ParseItem(item.line);
        item.timeMs = std::max<int64_t>(0, ScaledDecimal(fields.time, 3));
        item.repeatCount = repeatOf(fields.repeat);
        item.rangeFactor = k < s.rangeStartIndex ? 1 : s.rangeRepeat;
        item.resolved = ResolveCommand(fields, controlType);
        item.expectations = list.checks[static_cast<size_t>(k) + 1];
        ExpectationParse parsed = ParseExpectations(item.expectations, controlType, fields);
        item.checks = std::move(parsed.checks);
        item.checksError = parsed.error;
        const int64_t plays = int64_t{item.repeatCount} * item.rangeFactor;
        s.totalMs = addSat(s.totalMs, mulSat(item.timeMs, plays));
        s.singlePassMs = addSat(s.singlePassMs, mulSat(item.timeMs, item.repeatCount));
        s.totalSteps += plays;
        s.items.push_back(item);
    }
    return s;
}

QString UnresolvedMessage(const SequenceSchedule& s)
{
    const int k = s.firstUnresolved();
    if (k < 0) return {};
    const ScheduledItem& item = s.items[static_cast<size_t>(k)];
    if (item.resolved.ok())
        return QStringLiteral("Item %1 (%2): expectations %3").arg(k + 1).arg(item.line, item.checksError);
    const char* why = "is not an action of this control type";
    if (item.resolved.status == ResolveStatus::ValueOutOfRange) why = "has a value the driver cannot take";
    if (item.resolved.status == ResolveStatus::FieldTooLong) why = "has a field longer than 23 characters";
    return QStringLiteral("Item %1 (%2) %3").arg(k + 1).arg(item.line, QLatin1String(why));
}

RunDisplays IdleDisplays(const SequenceSchedule& s)
{
    RunDisplays d;
    if (s.empty()) {
        d.totalTime = d.currentTime = d.remainingTime = kNoTime;
        d.totalItems = d.currentItem = d.remainingItems = kNoCount;
        return d;
    }
    d.totalTime = FormatTenths(s.totalMs / 100);
    d.currentTime = FormatTenths(0);
    d.remainingTime = d.totalTime;
    d.totalItems = QString::number(s.totalSteps);
    d.currentItem = QStringLiteral("0");
    d.remainingItems = d.totalItems;
    return d;
}

}  // namespace zentor
