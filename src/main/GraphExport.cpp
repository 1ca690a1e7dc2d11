#include "GraphExport.h"

namespace zentor {

QByteArray GraphSamplesCsv(const ChartSeries& s, const std::array<int64_t, ChartSeries::kRingSize>& times)
{
    constexpr int kSize = ChartSeries::kRingSize;
    const int n = s.wrapped ? kSize : s.count;
    const int first = (s.count - n + kSize) % kSize;  // the oldest sample held
    QByteArray csv = "time_s,current_a\n";
    for (int i = 0; i < n; ++i) {
        const int at = (first + i) % kSize;
        const int64_t ms = times[size_t(at)] - times[size_t(first)];
        csv += QByteArray::number(double(ms) / 1000.0, 'f', 3) + ',' +
               FormatFixed(s.ring[size_t(at)], s.divisor).toLatin1() + '\n';
    }
    return csv;
}

}  // namespace zentor
