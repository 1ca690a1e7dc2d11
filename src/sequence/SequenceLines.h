#pragma once
// A sequence list as the console holds it in memory: 40 text lines, line 0 the header line,
// lines 1 to 39 the item lines in order, every line after the last item empty.

#include <QString>
#include <array>

namespace zentor {

constexpr int kSequenceLines = 40;
constexpr int kMaxSequenceItems = kSequenceLines - 1;
// The longest field a header or item line holds in the stored forms.
constexpr int kMaxFieldLength = 23;

using SequenceLines = std::array<QString, kSequenceLines>;

// The list being edited: its lines and how many item lines it holds.
struct SequenceList {
    SequenceLines lines;
    int itemCount = 0;
};

}  // namespace zentor
