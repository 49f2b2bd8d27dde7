#!/usr/bin/env python3
"""Writes series_v13.tsf, a time-series file of version 1.3 for the reader tests.

Header records, in order: format/version/description in columns 1-16, 17-32,
33-96; NCOMMENT and its comments; NTITLE and the titles; the coordinate kind
("UTM", followed by three records); the time zone; one record; the period line
(begin year 1-4, month 6-7, day 9-10, hour 12-13, second 15-18, end year 20-23,
month 25-26, day 28-29, hour 31-32, second 34-37, an integer in 42-45); NVAR;
the variable records (name 1-12, unit 13-24, five numbers of 12 columns, the
third the height).

Data lines: begin year 2-5, month 7-8, day 10-11, hour 13-14, second 16-19; end
year 21-24, month 26-27, day 29-30, hour 32-33, second 35-38; then 10 columns per
variable from column 39, 13 for MONIN_OB (the variables after it move 3 right).

1 March 2008 (day 61 of a leap year), hours 0 to 23, one line each:
  WDIR 15*h degrees, WSPEED 3.6*(h+1) km/h (written without a point: 3 implied
  decimals), MONIN_OB -50, TEMP h degrees Celsius, STAB_CLASS 1 + h mod 6.
A blank line follows hour 5 and a line with end day 00 follows hour 10.
"""
import os


def put(line, col, text):
    """Places text so that it starts in column col (counted from 1)."""
    line = line.ljust(col - 1 + len(text))
    return line[: col - 1] + text + line[col - 1 + len(text):]


def rjust_at(line, col, width, text):
    assert len(text) <= width, text
    return put(line, col, text.rjust(width))


def var(name, unit, height):
    rec = put("", 1, name.ljust(12))
    rec = put(rec, 13, unit.ljust(12))
    nums = ["0.000", "0.000", "%.3f" % height, "0.000", "0.000"]
    for k, v in enumerate(nums):
        rec = rjust_at(rec, 25 + 12 * k, 12, v)
    return rec


def data(bh, eday, eh, wd, ws, mo, t, st):
    rec = ""
    for col, w, v in ((2, 4, 2008), (7, 2, 3), (10, 2, 1), (13, 2, bh), (16, 4, 0),
                      (21, 4, 2008), (26, 2, 3), (29, 2, eday), (32, 2, eh), (35, 4, 0)):
        rec = rjust_at(rec, col, w, "%0*d" % (w, v))
    rec = rjust_at(rec, 39, 10, wd)
    rec = rjust_at(rec, 49, 10, ws)
    rec = rjust_at(rec, 59, 13, mo)
    rec = rjust_at(rec, 72, 10, t)
    rec = rjust_at(rec, 82, 10, st)
    return rec


lines = [put(put("TIMESERIES.TSF", 17, "1.3"), 33, "Hand-made test series"),
         "1", "a comment record",
         "2", "first title", "second title",
         "UTM", "15N", "NAD27", "KM",
         "UTC-0600",
         "a record before the period line",
         rjust_at(put(put(put(put(put(put(put(put(put(put("", 1, "2008"), 6, "03"), 9, "01"), 12, "00"),
                                          15, "0000"), 20, "2008"), 25, "03"), 28, "02"), 31, "00"), 34, "0000"),
                  42, 4, "1"),
         "5",
         var("WDIR", "DEG", 10.0),
         var("WSPEED", "KM/H", 10.0),
         var("MONIN_OB", "M", 0.0),
         var("TEMP", "C", 2.0),
         var("STAB_CLASS", "-", 0.0)]
for h in range(24):
    eday, eh = (1, h + 1) if h < 23 else (2, 0)
    ws = "%d" % round(3600 * (h + 1))  # 3.6*(h+1) km/h with 3 implied decimals
    lines.append(data(h, eday, eh, "%.3f" % (15.0 * h), ws, "-50.000", "%.3f" % float(h), "%d" % (1 + h % 6)))
    if h == 5:
        lines.append("")
    if h == 10:
        lines.append(put(data(h, 1, h + 1, "1.000", "1000", "-50.000", "1.000", "1")[:29], 29, "00"))

here = os.path.dirname(os.path.abspath(__file__))
with open(os.path.join(here, "series_v13.tsf"), "w", newline="") as f:
    for l in lines:
        f.write(l + "\r\n")
