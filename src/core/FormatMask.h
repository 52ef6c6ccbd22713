#pragma once

#include <string>
#include <string_view>

// Display masks of the status panel, the printed report and the profile editor.
//
// "#" is a digit shown only when the number needs it, "0" a digit always shown, the
// first "." the decimal point (shown even when no fractional digit follows), and
// every other character is copied as it stands, blanks included. A "," is copied too:
// no mask of the program groups thousands.
//
// The value is rounded half away from zero to as many fractional digits as the mask
// has places after the point, from its shortest decimal form (so 2.675f under "0.00"
// gives 2.68). All integer digits are shown, even beyond the places of the mask; a
// "0" place forces itself and every place to its right. With only "#" before the
// point a value below 1 shows no zero there ("##.#" gives ".5"), and a mask without
// any "0" shows 0 as nothing ("####" gives ""). Trailing zeros on "#" places after
// the point are dropped ("###.0#": 1.5 gives "1.5", 1.25 gives "1.25").
//
// A negative value gets its "-" just before its first digit or its decimal point
// ("  ##0.0": -5.25 gives "  -5.3"); a value that rounds to zero gets none. Infinity
// and NaN are shown as 0 would be: the panel must never show a text the operator
// cannot read as a level.
//
// Examples: 150.256 with "   ##0.0" gives "   150.3"; 1234.7 with "   ##0." gives
// "   1235."; 20 with "####.##" gives "20.".
std::string FormatMask(double value, std::string_view mask, char decimalPoint = '.');

// A time of day from a day fraction (a date value with a time part: only the fraction
// counts, as its magnitude for negative date values), rounded to the nearest second;
// a time that rounds to 24:00:00 shows 00:00:00. In the mask "hh", "mm" and "ss" are
// the two-digit hours, minutes and seconds, everything else is copied: "hh:mm:ss".
// Infinity and NaN show as midnight.
std::string FormatTimeOfDay(double dayFraction, std::string_view mask);

// A calendar date: in the mask "yyyy" is the year (at least four digits), "mm" the
// two-digit month and "dd" the two-digit day; everything else is copied, for
// example "mm/dd/yyyy" or "dd.mm.yyyy".
std::string FormatDate(int year, int month, int day, std::string_view mask);
