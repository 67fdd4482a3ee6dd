#pragma once

// Layout units: a report is laid out at 96 units per inch at a zoom of 120 %, so one inch is
// 115.2 units and one millimetre about 4.535. Font sizes stay in points.
namespace report {

inline constexpr double kUnitsPerInch = 96.0 * 1.2;
inline constexpr double kUnitsPerMm = kUnitsPerInch / 25.4;
inline constexpr double kPointsPerUnit = 72.0 / kUnitsPerInch;

inline constexpr double mmToUnits(double mm) {
    return mm * kUnitsPerMm;
}
inline constexpr double unitsToMm(double units) {
    return units / kUnitsPerMm;
}

} // namespace report
