#pragma once
// The two preset lists the configuration seeds, and a way to build a list from its lines.

#include "SequenceLines.h"

#include <QStringList>

namespace zentor::test {

// Line 0 the header, then the items.
inline SequenceList ListOf(const QStringList& lines)
{
    SequenceList list;
    for (int i = 0; i < lines.size() && i < kSequenceLines; ++i) list.lines[static_cast<size_t>(i)] = lines[i];
    list.itemCount = static_cast<int>(lines.size()) - 1;
    return list;
}

inline SequenceList SpeedPreset()
{
    return ListOf({"1,7,1,Speed", "ENABLE-RUN,-,0.5,1", "BRAKE-OFF,-,0.5,1", "DIR-CW,-,0.5,1", "SPEED-INPUT,1800,3,1",
                   "DIR-CCW,-,0.5,1", "SPEED-INPUT,900,3,1", "SPEED-INPUT,0,2,1"});
}

inline SequenceList PositionPreset()
{
    return ListOf({"1,10,1,Position", "BRAKE-ON,-,0.5,1", "POSITION-INPUT,100,0.5,1", "RESET-LOW,-,0.5,1",
                   "POSITION-INPUT,0,0.5,1", "SPEED-INPUT,1000,0.5,1", "POSITION-INPUT,800,0.5,1", "BRAKE-OFF,-,4,1",
                   "SPEED-INPUT,2000,0.5,1", "POSITION-INPUT,0,3,1", "BRAKE-ON,-,0.5,1"});
}

}  // namespace zentor::test
