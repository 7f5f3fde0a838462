#pragma once

#include <cstddef>

// Every byte position of the 600-byte device image, named once. No other file writes a numeric
// image offset: code that touches a field does so through these names.
namespace velmora::layout {

inline constexpr std::size_t kImageSize = 600;
inline constexpr std::size_t kBlockSize = 100;
inline constexpr std::size_t kBlockCount = 6;
inline constexpr std::size_t kParameterStart = 100; // blocks 1..5 hold the parameter set

// Identity block (block 0): supplied by the unit, only read here.
namespace id {
inline constexpr std::size_t kName = 0; // three characters
inline constexpr std::size_t kNameSize = 3;
inline constexpr std::size_t kVersion = 3;
inline constexpr std::size_t kDay = 4;
inline constexpr std::size_t kMonth = 5; // month code, see identity.h
inline constexpr std::size_t kYear = 6;  // year - 2000
inline constexpr std::size_t kHour = 7;
inline constexpr std::size_t kMinute = 8;
inline constexpr std::size_t kReadPermission = 9;
inline constexpr std::size_t kCompatibilityMark = 10;
inline constexpr std::size_t kModelMap = 11;
inline constexpr std::size_t kModelMapSize = 32;
inline constexpr std::size_t kLongName = 16;
inline constexpr std::size_t kLongNameSize = 30;
} // namespace id

// Parameter set (blocks 1..5).
inline constexpr std::size_t kBike = 100;
inline constexpr std::size_t kRpmPulses = 102;
inline constexpr std::size_t kRpmCorrection = 103;
inline constexpr std::size_t kLimiter2 = 104;
inline constexpr std::size_t kPilotLight = 106;
inline constexpr std::size_t kAdvanceLimit = 107;
inline constexpr std::size_t kPrivHyster = 108;
inline constexpr std::size_t kModelByte110 = 110;
inline constexpr std::size_t kPrivEnable = 111;
inline constexpr std::size_t kBlokEnable = 112;
inline constexpr std::size_t kIapToTps = 113;
inline constexpr std::size_t kTpsClosed = 121;
inline constexpr std::size_t kTpsOpen = 122;
inline constexpr std::size_t kAccelThreshold = 123;
inline constexpr std::size_t kAccelSize = 124;
inline constexpr std::size_t kModelByte125 = 125;
inline constexpr std::size_t kModelByte126 = 126;
inline constexpr std::size_t kStartJet = 127;
inline constexpr std::size_t kCooling = 129;
inline constexpr std::size_t kTpsMode = 137;
inline constexpr std::size_t kChokeTimes = 140;       // 4 points
inline constexpr std::size_t kChokeCorrections = 144; // 4 points
inline constexpr std::size_t kIntakeValve = 150;
inline constexpr std::size_t kTuning = 151; // 5 values
inline constexpr std::size_t kTuningLambda = kTuning + 0;
inline constexpr std::size_t kTuningHyster = kTuning + 1;
inline constexpr std::size_t kTuningRpm = kTuning + 2;
inline constexpr std::size_t kTuningTps = kTuning + 3;
inline constexpr std::size_t kTuningTime = kTuning + 4;
inline constexpr std::size_t kWaterTemp = 200; // 5 points
inline constexpr std::size_t kAirTemp = 205;   // 5 points
inline constexpr std::size_t kRpmAdv = 210;    // 10 points
inline constexpr std::size_t kAdvance = 220;
inline constexpr std::size_t kModelTable = 230;
inline constexpr std::size_t kRpmPriv = 240;
inline constexpr std::size_t kNapPriv = 250;
inline constexpr std::size_t kRpmJetTp = 260;
inline constexpr std::size_t kRpmJetTpi = 270;
inline constexpr std::size_t kRpmJetIap = 280;
inline constexpr std::size_t kJetTp = 300; // 10 x 10, element 10 r + c
inline constexpr std::size_t kJetTpi = 400;
inline constexpr std::size_t kJetIap = 500;

inline constexpr std::size_t kChokePoints = 4;
inline constexpr std::size_t kTempPoints = 5;
inline constexpr std::size_t kTuningValues = 5;
inline constexpr std::size_t kCurvePoints = 10; // every speed axis and curve
inline constexpr std::size_t kMapSide = 10;
inline constexpr std::size_t kMapCells = kMapSide * kMapSide;

// Bytes the configurator carries without interpreting.
struct Range {
    std::size_t first;
    std::size_t count;
};
inline constexpr Range kReserved[] = {{101, 1}, {105, 1}, {109, 1}, {114, 7},  {128, 1},
                                      {130, 7}, {138, 2}, {148, 2}, {156, 44}, {290, 10}};

} // namespace velmora::layout
