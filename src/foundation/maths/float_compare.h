// Comparisons with the engine's fixed tolerance 7.6e-6.
#pragma once

#include <cmath>

inline constexpr float kFloatTolerance = 7.6e-6f;
inline constexpr double kDoubleTolerance = 7.6e-6;

// |a - b| <= 7.6e-6.
inline bool FloatsEqual(float a, float b) { return std::fabs(a - b) <= kFloatTolerance; }
inline bool DoublesEqual(double a, double b) { return std::fabs(a - b) <= kDoubleTolerance; }
// |a - b| <= tolerance.
inline bool EqualWithin(float a, float b, float tolerance) { return std::fabs(a - b) <= tolerance; }
inline bool EqualWithin(double a, double b, double tolerance) { return std::fabs(a - b) <= tolerance; }
// -1 below -tolerance, 1 above tolerance, else 0.
inline int SignWithTolerance(float v, float tolerance) { return v < -tolerance ? -1 : (v > tolerance ? 1 : 0); }
inline int SignWithTolerance(double v, double tolerance) { return v < -tolerance ? -1 : (v > tolerance ? 1 : 0); }
// The same with 7.6e-6.
inline int Sign(float v) { return SignWithTolerance(v, kFloatTolerance); }
inline int Sign(double v) { return SignWithTolerance(v, kDoubleTolerance); }
