#pragma once
// The numeric ids of the controls of the motor settings, communication settings and model list
// windows. Each window has its own table, so the same number names different controls.

namespace zentor::settings {

namespace motor_ids {
enum : int {
    Exit = 2,
    PolesEdit = 1004,
    ReducerEdit = 1009,
    ReducerSet = 1010,
    CurrentEdit = 1011,
    CurrentSet = 1012,
    AccelEdit = 1013,
    AccelSet = 1014,
    DecelEdit = 1015,
    DecelSet = 1016,
    MaxRpmEdit = 1017,
    MaxRpmSet = 1018,
    LockEdit = 1019,
    LockSet = 1020,
    Status = 1074,
    TypeLabel = 1114,
    PolesLabel = 1115,
    CurrentLabel = 1116,
    AccelLabel = 1117,
    ReducerLabel = 1118,
    MaxRpmLabel = 1119,
    DecelLabel = 1120,
    PolesSet = 1121,
    StopControlMotor = 1122,
    LockLabel = 1123,
    Apply = 1124,
    CheckSetting = 1125,
};
}  // namespace motor_ids

namespace com_ids {
enum : int {
    Exit = 2,
    DeviceIdEdit = 1008,
    DeviceIdChange = 1009,
    CloseComPort = 1010,
    BaudChange = 1011,
    Status = 1074,
    StopControlMotor = 1104,
    PcCurrentId = 1105,
    DeviceCurrentId = 1106,
    IdCheck = 1107,
    PcIdChange = 1108,
    PcIdEdit = 1109,
    PcIdEcho = 1110,
    DeviceIdEcho = 1111,
    ComSetting = 1112,
    BaudList = 1113,
};
}  // namespace com_ids

namespace info_ids {
enum : int {
    Heading = 1074,
    ModelLines = 1093,
};
}  // namespace info_ids

}  // namespace zentor::settings
