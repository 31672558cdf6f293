#pragma once

#include <cstdint>

// Table-driven trigonometry of the standard service: one or two table reads and a multiply.
namespace Kiln::StdMath {

constexpr int kSineTableSize = 65536;
constexpr int kArcTangentTableSize = 65537;

// Fills a 65,536-entry sine table: entry i is the sine of i / 65536 of a full turn.
void FillSineTable(float* table);

// Builds the process-wide tables once; later calls do nothing.
void BuildTables();

float SineTableEntry(int index);
float ArcTangentTableEntry(int index);

// Angles in degrees. BuildTables must have run.
float Sin(float degrees);
float Cos(float degrees);
float ArcTangent(int32_t y, int32_t x);

// x to the integer power n, in single precision.
float Power(float x, int32_t n);

}  // namespace Kiln::StdMath
