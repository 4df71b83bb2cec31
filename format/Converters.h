// Value-to-text converters for parameter displays and the editor's read-outs.
//
// Every function writes a zero-terminated text into a caller-supplied buffer of
// at least kConverterTextSize bytes and never writes beyond it, whatever the
// input. They keep no state and allocate nothing, so any thread may call them
// at any time, including from a display's repaint.
#ifndef SYLVATONE_FORMAT_CONVERTERS_H
#define SYLVATONE_FORMAT_CONVERTERS_H

// Smallest buffer a caller may hand to any converter.
constexpr int kConverterTextSize = 16;

// Rounds half away from zero to `digits` decimals and prints at most eight
// characters (sign and point included). Magnitudes that do not fit give
// "Huge!", NaN gives "NaN". Digit counts outside 0..8 are clamped.
void float2string2(float value, int digits, char* text);

// "50Hz", "1.50kHz", "12.0kHz": hertz below 1000, kilohertz from 1000 on.
void frequencyStringConvert2(float hz, char* text);

// Linear gain shown as 6 dB per doubling ("6.0dB" for 2); "-oodB" for <= 0.
void dB2string2(float gain, int digits, char* text);

// "0.73ms", "46ms", "1.50s"; anything below 0.0001 ms is "0ms".
void msStringConvert(float ms, char* text);

// Whole samples, truncated: "46smps"; below 1 is "0smps".
void smpStringConvert(float samples, char* text);

#endif  // SYLVATONE_FORMAT_CONVERTERS_H
