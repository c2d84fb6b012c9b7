#!/usr/bin/env python3
"""Reads bench.csv with Python's csv module and compares every number with
bench.LOG in the same folder: python3 check_logcsv.py FOLDER"""
import csv
import sys
from pathlib import Path

folder = Path(sys.argv[1])
with open(folder / "bench.LOG", encoding="latin-1", newline="") as log_file:
    log = log_file.read().split("\r\n")
with open(folder / "bench.csv", encoding="utf-8", newline="") as csv_file:
    rows = list(csv.reader(csv_file))

assert rows[0] == [log[0]], "comment row"
assert rows[1][:2] == ["time_s", "weight"], "header row"
samples = [line for line in log[2:] if line]
assert len(rows) - 2 == len(samples), f"{len(rows) - 2} rows, {len(samples)} sample lines"
for number, (row, line) in enumerate(zip(rows[2:], samples), start=3):
    expected = [float(field) for field in line.split(",")]
    got = [float(field) for field in row]
    assert got == expected, f"line {number}: {row} != {line}"
print(f"{len(samples)} rows match the log file; header {rows[1]}")
