#!/usr/bin/env python3
"""Reads a flash record with Python's own csv module, as another program on
the bench would, and prints what it found as JSON on one line:

  {"problems": [...], "rows": [{column: value, ..., "image_sha256": ...}, ...]}

A problem is anything a spreadsheet would trip over: bytes that are not UTF-8,
a line that does not end in CR LF, a row whose fields do not match the header.
"image_sha256" is the SHA-256 of the file the row names, computed here with
hashlib, or "" when the row names no file that can be read.
"""
import csv
import hashlib
import io
import json
import sys


def digest_of(path):
    try:
        with open(path, "rb") as image:
            return hashlib.sha256(image.read()).hexdigest()
    except OSError:
        return ""


def main():
    problems = []
    with open(sys.argv[1], "rb") as record:
        raw = record.read()
    try:
        text = raw.decode("utf-8", errors="strict")
    except UnicodeDecodeError as error:
        problems.append("not UTF-8: %s" % error)
        text = raw.decode("utf-8", errors="replace")
    if not text.endswith("\r\n") or "\n" in text.replace("\r\n", ""):
        problems.append("a line does not end in CR LF")
    rows = list(csv.reader(io.StringIO(text, newline=""), strict=True))
    header, found = rows[0], []
    for number, row in enumerate(rows[1:], start=2):
        if len(row) != len(header):
            problems.append("line %d has %d fields, the header %d" % (number, len(row), len(header)))
        entry = dict(zip(header, row))
        entry["image_sha256"] = digest_of(entry["image"]) if entry.get("image") else ""
        found.append(entry)
    json.dump({"problems": problems, "rows": found}, sys.stdout)


if __name__ == "__main__":
    main()
