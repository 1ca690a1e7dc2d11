#pragma once
// What the console keeps from its configuration file while it runs: the model list, the
// three sequence texts and the configured baud rate. The main window owns one.

#include <QString>
#include <array>

namespace zentor {

inline constexpr int kModelListLines = 100;
inline constexpr int kSequenceLines = 40;  // line 0 the "SET" line, lines 1..39 the items
inline constexpr int kSequenceMaxItems = kSequenceLines - 1;
inline constexpr int kDefaultBaudRate = 115200;

using ModelList = std::array<QString, kModelListLines>;
using SequenceText = std::array<QString, kSequenceLines>;

struct ConsoleStores {
    ModelList modelList;
    SequenceText speedPreset;
    SequenceText positionPreset;
    SequenceText userSequence;
    // The expectations of the user sequence's items (line i for item i; line 0 unused).
    SequenceText userChecks;
    int baudRate = kDefaultBaudRate;

    // Every line empty and the baud rate back to 115200, as before the configuration load.
    void clear();
};

}  // namespace zentor
