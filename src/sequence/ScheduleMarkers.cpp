#include "ScheduleMarkers.h"

#include <algorithm>

namespace zentor {

namespace {

constexpr int kLabelWidth = 48;
constexpr int kLabelHeight = 20;
constexpr int kTickHeight = 19;
constexpr int kRowGap = 50;  // a row's next label may start this far right of its last one

}  // namespace

std::vector<ItemMarker> LayoutMarkers(const SequenceSchedule& s, const QRect& bar)
{
    std::vector<ItemMarker> markers;
    const int n = static_cast<int>(s.items.size());
    const int64_t d = s.singlePassMs / 100;
    // Without a duration no item has an offset (and the offset would divide by zero).
    if (n < 2 || d <= 0) return markers;

    // QRect's right and bottom are inclusive; the described rectangle's are exclusive.
    const int left = bar.left();
    const int top = bar.top();
    const int bottom = bar.top() + bar.height();
    const int64_t width = bar.width();

    int freeAt[2] = {0, 0};  // 0 below the bar, 1 above it
    int turn = 0;
    __int128 a = 0;
    for (int i = 2; i <= n; ++i) {
        const ScheduledItem& before = s.items[static_cast<size_t>(i) - 2];
        a += static_cast<__int128>(before.timeMs) * before.repeatCount / 100;
        // Past the bar's end only when a hand-edited list's sums ran beyond 64 bits.
        const int x = static_cast<int>(std::min<__int128>(width * a / d, width));
        // A marker needs room in both rows: it must start clear of the last label on either side.
        if (x < freeAt[0] || x < freeAt[1]) continue;
        if (!markers.empty() && markers.back().item < i - 1 && i != 2)
            markers.back().text = QStringLiteral("%1~%2").arg(markers.back().item).arg(i - 1);
        ItemMarker m;
        m.item = i;
        m.text = QString::number(i);
        m.above = turn == 1;
        const int number = static_cast<int>(markers.size());
        m.label = QRect(left + x, m.above ? top - 40 : bottom + 20, kLabelWidth, kLabelHeight);
        m.labelId = kMarkerLabelIdBase + number;
        m.tick = QRect(left + x, m.above ? top - 20 : bottom + 1, 1, kTickHeight);
        m.tickId = kMarkerTickIdBase + number;
        markers.push_back(m);
        freeAt[turn] = x + kRowGap;
        turn = 1 - turn;
    }
    return markers;
}

}  // namespace zentor
