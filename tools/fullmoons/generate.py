#!/usr/bin/env python3
"""Writes extras/FullMoonTable.cpp: every full moon from 25 January 2005 to the
end of 2100, in universal time, to the minute.

    python3 tools/fullmoons/generate.py > extras/FullMoonTable.cpp

The instants come from the mean-phase series of the Moon with the periodic
corrections for the full moon and the fourteen additional corrections common
to all phases (J. Meeus, "Astronomical Algorithms", 2nd ed., chapter 49). That
gives the instant in dynamical time (TT), good to well under a minute over this
span; the ΔT approximation of Espenak and Meeus turns it into universal time.
Beyond the present ΔT is a forecast: by 2100 its own uncertainty is of the
order of a minute.

The program's first table covered 2005-2014 and a few of its rows were
published with it. Those rows are kept exactly as published, whatever this
computation rounds them to: they run up to two and a half minutes late (25
March 2005 21:01 against 20:58). The generator stops if one of them is not
within five minutes of the computed instant or not at its old place in the
table, which would mean a different full moon.

Only the standard library is used, and the output depends on nothing but this
file, so regenerating reproduces the committed file byte for byte.
"""

import math
import sys

FIRST_YEAR = 2005
LAST_YEAR = 2100

# Rows of the first table as published: index -> (day, month, year, hour, minute).
PUBLISHED_ROWS = {
    0: (25, 1, 2005, 10, 33),
    1: (24, 2, 2005, 4, 55),
    2: (25, 3, 2005, 21, 1),
    61: (31, 12, 2009, 19, 14),
    121: (6, 11, 2014, 22, 23),
    122: (6, 12, 2014, 12, 27),
}
FIRST_TABLE_LENGTH = 123


def sin_deg(x):
    return math.sin(math.radians(x % 360.0))


def full_moon_jde(k):
    """Julian ephemeris day of the full moon with lunation number k (k = n + 0.5)."""
    t = k / 1236.85
    jde = (2451550.09766 + 29.530588861 * k + 0.00015437 * t**2 - 0.000000150 * t**3
           + 0.00000000073 * t**4)
    e = 1.0 - 0.002516 * t - 0.0000074 * t**2
    m = 2.5534 + 29.10535670 * k - 0.0000014 * t**2 - 0.00000011 * t**3
    mp = 201.5643 + 385.81693528 * k + 0.0107582 * t**2 + 0.00001238 * t**3 - 0.000000058 * t**4
    f = 160.7108 + 390.67050284 * k - 0.0016118 * t**2 - 0.00000227 * t**3 + 0.000000011 * t**4
    om = 124.7746 - 1.56375588 * k + 0.0020672 * t**2 + 0.00000215 * t**3

    # Periodic corrections for the full moon: (coefficient, power of E, argument).
    terms = (
        (-0.40614, 0, mp),
        (0.17302, 1, m),
        (0.01614, 0, 2 * mp),
        (0.01043, 0, 2 * f),
        (0.00734, 1, mp - m),
        (-0.00515, 1, mp + m),
        (0.00209, 2, 2 * m),
        (-0.00111, 0, mp - 2 * f),
        (-0.00057, 0, mp + 2 * f),
        (0.00056, 1, 2 * mp + m),
        (-0.00042, 0, 3 * mp),
        (0.00042, 1, m + 2 * f),
        (0.00038, 1, m - 2 * f),
        (-0.00024, 1, 2 * mp - m),
        (-0.00017, 0, om),
        (-0.00007, 0, mp + 2 * m),
        (0.00004, 0, 2 * mp - 2 * f),
        (0.00004, 0, 3 * m),
        (0.00003, 0, mp + m - 2 * f),
        (0.00003, 0, 2 * mp + 2 * f),
        (-0.00003, 0, mp + m + 2 * f),
        (0.00003, 0, mp - m + 2 * f),
        (-0.00002, 0, mp - m - 2 * f),
        (-0.00002, 0, 3 * mp + m),
        (0.00002, 0, 4 * mp),
    )
    correction = sum(c * e**p * sin_deg(arg) for c, p, arg in terms)

    # Additional corrections for all phases: (coefficient, argument).
    additional = (
        (0.000325, 299.77 + 0.107408 * k - 0.009173 * t**2),
        (0.000165, 251.88 + 0.016321 * k),
        (0.000164, 251.83 + 26.651886 * k),
        (0.000126, 349.42 + 36.412478 * k),
        (0.000110, 84.66 + 18.206239 * k),
        (0.000062, 141.74 + 53.303771 * k),
        (0.000060, 207.14 + 2.453732 * k),
        (0.000056, 154.84 + 7.306860 * k),
        (0.000047, 34.52 + 27.261239 * k),
        (0.000042, 207.19 + 0.121824 * k),
        (0.000040, 291.34 + 1.844379 * k),
        (0.000037, 161.72 + 24.198154 * k),
        (0.000035, 239.56 + 25.513099 * k),
        (0.000023, 331.55 + 3.592518 * k),
    )
    correction += sum(c * sin_deg(arg) for c, arg in additional)
    return jde + correction


def delta_t_seconds(year, month):
    """TT - UT in seconds (Espenak and Meeus polynomials, 2005-2150)."""
    y = year + (month - 0.5) / 12.0
    if y < 2050:
        t = y - 2000.0
        return 62.92 + 0.32217 * t + 0.005589 * t * t
    u = (y - 1820.0) / 100.0
    return -20.0 + 32.0 * u * u - 0.5628 * (2150.0 - y)


def calendar(jd):
    """Gregorian (year, month, day, day fraction) of a Julian day."""
    z = math.floor(jd + 0.5)
    frac = jd + 0.5 - z
    alpha = math.floor((z - 1867216.25) / 36524.25)
    a = z + 1 + alpha - math.floor(alpha / 4)
    b = a + 1524
    c = math.floor((b - 122.1) / 365.25)
    d = math.floor(365.25 * c)
    e = math.floor((b - d) / 30.6001)
    day = b - d - math.floor(30.6001 * e)
    month = e - 1 if e < 14 else e - 13
    year = c - 4716 if month > 2 else c - 4715
    return int(year), int(month), int(day), frac


def julian_day(year, month, day):
    if month <= 2:
        year -= 1
        month += 12
    a = year // 100
    b = 2 - a + a // 4
    return math.floor(365.25 * (year + 4716)) + math.floor(30.6001 * (month + 1)) + day + b - 1524.5


def to_minute_row(jd_ut):
    """(day, month, year, hour, minute) of a Julian day, rounded to the nearest minute."""
    day_start = math.floor(jd_ut - 0.5) + 0.5
    minutes = round((jd_ut - day_start) * 1440.0)
    year, month, day, _ = calendar(day_start)
    if minutes == 1440:
        year, month, day, _ = calendar(day_start + 1.0)
        minutes = 0
    return (day, month, year, minutes // 60, minutes % 60)


def row_jd(row):
    day, month, year, hour, minute = row
    return julian_day(year, month, day) + (hour * 60 + minute) / 1440.0


def full_moons():
    rows = []
    k = math.floor((FIRST_YEAR - 2000) * 12.3685) - 1.5
    while True:
        k += 1.0
        jde = full_moon_jde(k)
        year, month, _, _ = calendar(jde)
        if year < FIRST_YEAR:
            continue
        if year > LAST_YEAR:
            break
        jd_ut = jde - delta_t_seconds(year, month) / 86400.0
        rows.append((to_minute_row(jd_ut), jd_ut))
    return rows


def main():
    computed = full_moons()
    rows = [row for row, _ in computed]
    first_table_end = julian_day(2015, 1, 1)
    if sum(1 for _, jd in computed if jd < first_table_end) != FIRST_TABLE_LENGTH:
        sys.exit("generate.py: the years 2005-2014 do not hold %d full moons" % FIRST_TABLE_LENGTH)
    for index, published in PUBLISHED_ROWS.items():
        if abs(row_jd(published) - computed[index][1]) > 5.0 / 1440.0:
            sys.exit("generate.py: published row %d %s is not the computed full moon %s"
                     % (index, published, rows[index]))
        rows[index] = published

    out = sys.stdout
    out.write("// Generated by tools/fullmoons/generate.py; do not edit. Regenerate with\n")
    out.write("//     python3 tools/fullmoons/generate.py > extras/FullMoonTable.cpp\n")
    out.write("// Every full moon from 25 January 2005 to the end of %d in universal time:\n" % LAST_YEAR)
    out.write("// day, month, year, hour, minute. The rows of 2005-2014 that were published\n")
    out.write("// with the program's first table are kept as published.\n")
    out.write("\n")
    out.write('#include "extras/FullMoonTable.h"\n')
    out.write("\n")
    out.write("namespace {\n")
    out.write("\n")
    out.write("// clang-format off\n")
    out.write("const TFullMoonEntry kFullMoons[] = {\n")
    for row in rows:
        out.write("    {%d, %d, %d, %d, %d},\n" % row)
    out.write("};\n")
    out.write("// clang-format on\n")
    out.write("\n")
    out.write("} // namespace\n")
    out.write("\n")
    out.write("std::span<const TFullMoonEntry> FullMoonTable()\n")
    out.write("{\n")
    out.write("    return kFullMoons;\n")
    out.write("}\n")


if __name__ == "__main__":
    main()
