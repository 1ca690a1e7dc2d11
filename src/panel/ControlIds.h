#pragma once
// The numeric ids of the main window's controls: each widget is found by its id, and tests
// press and read controls by these numbers.

namespace zentor::ids {

enum : int {
    Exit = 2,
    SpeedSlider = 1003,
    SpeedSet = 1005,
    ClutchOn = 1008,
    BrakeOff = 1013,
    OpenClose = 1015,
    ComConfig = 1017,
    ControlTypeList = 1018,
    Select = 1019,
    SequenceTest = 1020,
    PositionSlider = 1021,
    PositionSet = 1023,
    ResetHigh = 1024,
    ResetLow = 1025,
    MotorConfig = 1026,
    ZeroPositionSet = 1027,
    CurrentGraph = 1028,
    RpmDisplay = 1029,
    TypeLabel = 1030,
    ComPortList = 1031,
    ConnectionStatus = 1032,
    StartStop = 1033,
    IdLabel = 1034,
    LinkLamp = 1035,
    RpmCaption = 1039,
    TypeLabel2 = 1041,
    RotateIndicator = 1042,
    DirectionIndicator = 1043,
    StepIndicator = 1044,
    ClutchIndicator = 1045,
    BrakeIndicator = 1046,
    PoleLabel = 1048,
    LimitLabel = 1049,
    ReducerLabel = 1050,
    AccLabel = 1051,
    DecLabel = 1052,
    AngleDial = 1053,
    Web = 1054,
    Email = 1055,
    Info = 1056,
    ClutchCaption = 1059,
    DirectionCaption = 1060,
    BrakeCaption = 1061,
    RotateCaption = 1062,
    SpeedCaption = 1063,
    ResetCaption = 1064,
    PositionCaption = 1065,
    ClutchOff = 1066,
    DirectionCw = 1067,
    DirectionCcw = 1068,
    BrakeOn = 1069,
    Run = 1070,
    Stop = 1071,
    SpeedEdit = 1072,
    PositionEdit = 1073,
    MaxRpmLabel = 1074,
    LeftPicture = 1075,
    DigitUnits = 1076,
    DigitTens = 1077,
    DigitHundreds = 1078,
    DigitThousands = 1079,
    DigitTenThousands = 1080,
    ClutchPanel = 1082,
    RotatePanel = 1083,
    ResetPanel = 1084,
    DirectionPanel = 1085,
    BrakePanel = 1086,
    SpeedPanel = 1091,
    PositionPanel = 1092,
    ClutchLine = 1095,
    DirectionLine = 1096,
    BrakeLine = 1097,
    RotateLine = 1098,
    SpeedLine = 1099,
    ResetLine = 1100,
    PositionLine = 1101,
};

// Resource ids of the digit images and the fixed pictures.
namespace art {
enum : int {
    Icon = 128,
    Digit0 = 135, Blank = 136, Digit1 = 137, Digit2 = 138, Digit3 = 141, Digit4 = 142, Digit5 = 143,
    Digit6 = 144, Digit7 = 145, Digit8 = 146, Digit9 = 147,
    FaultF = 148, FaultA = 149, FaultU = 150, FaultL = 151, FaultT = 152,
    LeftPicture = 160, TopPicture = 161, Dash = 162,
};
// Image id of the figure 0 to 9.
constexpr int digit(int figure)
{
    constexpr int figures[10] = {Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9};
    return figures[figure < 0 || figure > 9 ? 0 : figure];
}
}  // namespace art

}  // namespace zentor::ids
