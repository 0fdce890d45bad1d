#!/usr/bin/env python3
"""Writes the inputs of fuzz/measure_proportion.sh into the folder given:
for each entry point, one input of about 1, 10 and 50 MiB, made of the
smallest elements the entry point turns into records (one-byte package
elements, short key = value lines), where memory per input byte is highest."""
import os
import sys

out = sys.argv[1]
sizes = [int(s) for s in sys.argv[2:]] or [1, 10, 50]


def put(entry, mib, data):
    with open(os.path.join(out, f"{entry}.{mib}MiB"), "w", encoding="latin-1") as f:
        f.write(data)


def lines(n, make):
    parts, total, i = [], 0, 0
    while total < n:
        line = make(i)
        parts.append(line)
        total += len(line)
        i += 1
    return "".join(parts)


for mib in sizes:
    n = mib << 20
    # zxunpack / the job "package" key: a package string of one-byte elements.
    put("package_tree", mib, "(" + "a " * (n // 2 - 1) + ")")
    # The job hash writer: the compact text such a package is stored as.
    put("compact", mib, "(=" + "(=a)" * (n // 4 - 1) + ")")
    # zxarchivejob: a job hash whose package is that package string.
    put("job_hash", mib, '{name shot package "(' + "a " * (n // 2 - 16) + ')"}')
    # zx.conf and job.conf: one short pair per line.
    put("config_file", mib, lines(n, lambda i: f"k{i} = {i}\n"))
    # A sectioned file: one section of as many pairs.
    put("config_tree", mib, "[one]\n" + lines(n, lambda i: f"k{i} = {i}\n"))
