// Java's integer and floating arithmetic, exactly: 64-bit helpers, literal digits to a long with
// Java's overflow rules, and the conversions between double, float, int and long.
#pragma once

#include <cstdint>

int32_t compareLong(const int64_t* a, const int64_t* b);
int64_t makeLong(int32_t high, uint32_t low);
int32_t longHighWord(int64_t value);
uint32_t longLowWord(int64_t value);
int64_t doubleBitsAsLong(double value);
double longBitsAsDouble(int64_t bits);
double doubleFromWords(int32_t high, uint32_t low);
double longToDouble(int64_t value);
// Java l2f: the long rounded once to the nearest float, returned widened to a double.
double longToFloat(int64_t value);
int64_t doubleToLong(double value);
int64_t floatToLong(double value);
int32_t doubleToInt(double value);
int32_t floatToInt(double value);
// Java d2f: the nearest float (ties to even), returned widened to a double.
double doubleToFloat(double value);
void storeDoubleAsFloat(double value, float* destination);
// An integral value cut to the width of the type of that kind (TK_): boolean to 0 or 1, char to
// 16 bits unsigned, byte, short and int sign-extended; long keeps all.
int64_t normalizeIntegral(int32_t kind, int64_t value);
double floatBitsToDouble(uint32_t bits);
// Java's string conversion of a double (Double.toString), or with isFloat of a float value
// (Float.toString), digit for digit as the class library writes it at run time (not always the
// shortest decimal that reads back), plain from 10^-3 to below 10^7 and as "d.dddEn" outside.
// The buffer holds at least 32 characters; the result is the length written, without the
// terminating zero.
int32_t javaFloatingToString(double value, bool isFloat, char* buffer);
double specialDouble(const char* name);
// The kept digits of an integer literal into *destination; reports overflow and bad digits at the
// current token.
void scanIntegerDigits(const uint16_t* digits, int32_t count, int64_t* destination, int32_t radix);
