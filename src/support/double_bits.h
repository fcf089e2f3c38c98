// Tests on the bit pattern of a double, used where a floating comparison would blur NaN, the
// infinities and the two zeros (literal scanning, constant folding, constant loads).
#pragma once

bool doubleIsNaN(double value);
bool doubleIsInfinite(double value);
bool doubleIsNonNegative(double value);
bool doubleIsNegative(double value);
bool doubleIsPositiveZero(double value);
bool doubleIsOne(double value);
bool doubleIsTwo(double value);
bool doubleIsZero(double value);
bool doubleIsNegativeZero(double value);
