#pragma once
// The numeric ids of the sequence test window's controls: each widget is found by its id in
// the window's own control table, and tests press and read controls by these numbers.

namespace zentor::seqids {

enum : int {
    Exit = 2,
    AddChange = 1000,
    Delete = 1001,
    StartPause = 1002,
    ApplyRange = 1003,
    LoadInitial = 1004,
    Reset = 1005,
    SaveUser = 1006,
    LoadUser = 1007,
    Select = 1008,
    ValueEdit = 1011,
    ActionList = 1014,
    NumberList = 1016,
    RangeStart = 1017,
    Progress = 1021,
    TimeEdit = 1022,
    RepeatEdit = 1023,
    RangeRepeat = 1024,
    ItemList = 1025,
    IdLabel = 1034,
    StatusLine = 1074,
    TypeList = 1094,
    StopControlMotor = 1122,
    RangeEnd = 1126,
    TotalTime = 1127,
    TotalItems = 1128,
    CurrentTime = 1129,
    RemainingTime = 1130,
    CurrentItem = 1131,
    RemainingItems = 1132,
    RunTypeLabel = 1133,
    SelectTypeLabel = 1134,
    UnitLabel = 1151,
    StartLabel = 1154,
    // The groups and the hidden range block's frame: ids of this window's own, for tests.
    RunGroup = 1160,
    ItemListGroup = 1161,
    TypeGroup = 1162,
    EditGroup = 1163,
    UserGroup = 1164,
    RangeFrame = 1165,
    // The checked run: the editor's expectations box, the verdict, the unit under test and
    // the report.
    ChecksEdit = 1170,
    Verdict = 1171,
    UnitEdit = 1172,
    Report = 1173,
};

}  // namespace zentor::seqids
