#pragma once
// A sequence list as the console holds it in memory: 40 text lines, line 0 the header line,
// lines 1 to 39 the item lines in order, every line after the last item empty.

#include "ConsoleStores.h"

namespace zentor {

// The longest field a header or item line holds in the stored forms.
constexpr int kMaxFieldLength = 23;

// The same lines as the stores of the configuration hold them.
using SequenceLines = SequenceText;

// The list being edited: its lines and how many item lines it holds.
struct SequenceList {
    SequenceLines lines;
    int itemCount = 0;
    // What each item expects of the driver (checks[i] for item line i; line 0 unused), kept
    // beside the lines so that the lines stay as the stored forms hold them.
    SequenceLines checks;
};

}  // namespace zentor
