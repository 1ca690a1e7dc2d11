#pragma once
// Where the item markers go along the progress bar: a numbered label and a tick for each item
// start that has room, alternating below and above the bar.

#include "SequenceSchedule.h"

#include <QRect>
#include <QString>
#include <vector>

namespace zentor {

constexpr int kMarkerLabelIdBase = 1500;
constexpr int kMarkerTickIdBase = 1540;

struct ItemMarker {
    int item = 0;     // item number whose start the marker shows
    QString text;     // "%d" of the item, or "%d~%d" when the items after it up to the next
                      // marker got none
    bool above = false;
    QRect label;      // 48 x 20, centred text, thin frame, Arial 14
    int labelId = 0;  // kMarkerLabelIdBase + marker number
    QRect tick;       // 1 x 19, bordered, no text
    int tickId = 0;   // kMarkerTickIdBase + marker number
};

// bar: the progress bar's rectangle in the dialog (left, top, right, bottom; width right - left).
// Markers exist only for lists of at least two items whose one pass takes time.
std::vector<ItemMarker> LayoutMarkers(const SequenceSchedule& schedule, const QRect& bar);

}  // namespace zentor
