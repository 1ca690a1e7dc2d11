#pragma once
// The current graph's samples as a CSV text, oldest first: the seconds since the oldest
// sample held and the current in amperes, as the graph's limit label writes it.

#include "ChartDraw.h"

#include <QByteArray>
#include <array>
#include <cstdint>

namespace zentor {

// times: the clock's milliseconds of each sample, at the sample's place in the series' ring.
QByteArray GraphSamplesCsv(const ChartSeries& series, const std::array<int64_t, ChartSeries::kRingSize>& times);

}  // namespace zentor
