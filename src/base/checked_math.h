// Checked mathematics: every computation of the program that can meet a
// domain or range error of the maths library goes through these. An error is
// appended to the error log ZAR.err as a MATHERR entry naming the function,
// reported on stderr, and the computation goes on with the library's result;
// the square root of a negative number gives 1.0.
#pragma once

#include <string>

namespace q3 {

double checkedSqrt(double x);
double checkedLog(double x);
double checkedLog10(double x);
double checkedPow(double x, double y);
double checkedExp(double x);
double checkedAsin(double x);
double checkedAcos(double x);

// The error log file: main() sets the data folder's ZAR.err; until then (and
// in tests that set none) entries are not written to any file.
void setErrorLogPath(const std::string& path);
std::string errorLogPath();

// Appends "<LOG TIME=d.m.yyyy h:m:s KAVRO08_v104: text>" to the error log.
// A log that cannot be opened loses the entry.
void appendErrorLog(const std::string& text);
// The MATHERR entry for the named function.
void logMathError(const char* function);

}  // namespace q3
