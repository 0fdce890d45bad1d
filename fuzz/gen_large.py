#!/usr/bin/env python3
"""Writes the large inputs of fuzz/measure.sh into the folder given: about
1 MiB each, shaped to make each entry point build as much as it can."""
import os
import sys

N = 1 << 20
out = sys.argv[1]


def put(entry, name, data):
    if isinstance(data, str):
        data = data.encode("latin-1")
    with open(os.path.join(out, f"{entry}.{name}"), "wb") as f:
        f.write(data)


def quote(s):
    # The element quoting of the package writer.
    r = s.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")
    r = r.replace("\r", "\\r").replace('"', '\\"')
    return '"' + r + '"' if (" " in s or s == "") else r


def fill(unit, total=N):
    return unit * (total // len(unit))


# package strings: many elements, one long escaped element, many empty ones
put("package_string", "elements", "(" + fill("a ") + ")")
put("package_string", "escapes", "(" + fill("\\t") + ")")
put("package_string", "quoted-empties", "{" + fill('"" ') + "}")
# package tree: wide, deep with escapes at every level, nested hashes
put("package_tree", "wide", "(" + fill("a ") + ")")
deep = "x\"y z"
while len(deep) < N // 2:
    deep = "(" + quote(deep) + " " + quote(deep[: 64]) + ")"
put("package_tree", "deep-escapes", deep)
level = "{k v}"
while len(level) < N // 4:
    level = "{a " + quote(level) + " b " + quote(level) + "}"
put("package_tree", "nested-hashes", level)
put("package_tree", "raw-quotes-deep", "(" * 40 + fill('"\t', N - 80) + ")" * 40)
# compact: many nodes, deep chain, quotes nested 20 levels under many nodes
put("compact", "nodes", "(=" + fill("(=)") + ")")
put("compact", "deep", fill("(=", N))
put("compact", "quotes-20-levels", "(=" * 20 + fill('(=")', N - 64) + ")" * 20)
put("compact", "names", "(=" + fill("(a\\=b=c\\(d)") + ")")
# configuration files
put("config_file", "pairs", "".join(f"k{i}=v\n" for i in range(N // 10)))
put("config_file", "same-key", fill("a=b\n"))
put("config_file", "braces", "k = " + "{" * (N // 2) + "}" * (N // 2 - 8))
put("config_tree", "sections", "".join(f"[s{i}]\nk = v\n" for i in range(12000))[:N])
put("config_tree", "fan-out", "[s]\n" + "".join(f"v{i} = $v{i+1}$v{i+1}\n" for i in range(60000))[:N])
put("config_tree", "headers", fill("[n[1-10000]]\nk = $k$k\n"))
put("config_tree", "long-values", "[a[1-5000]]\n" + "k = " + "x" * (N - 32) + "\n")
# frames: the first byte is the chunk size less one
put("frame_chunk", "ten-million-by-1", b"\x00" + b"1-10000000")
put("frame_chunk", "many-items-by-1", b"\x00" + fill("1,3,").encode())
put("frame_chunk", "ten-million-by-256", b"\xff" + b"1-10000000")
put("frame_expand", "ten-million", "1-10000000")
put("frame_expand", "long-name", "n" * (N - 32) + ".[1-2000000000].exr")
put("frame_expand", "many-items", fill("a,"))
put("frame_expand", "pattern-million", "shot.[1-1000000].exr")
# option words
put("option_parser", "positional", fill("word\n"))
put("option_parser", "flags", fill("-all\n"))
put("option_parser", "ambiguous", "-" + "x" * (N - 2))
# small readers
put("trigger", "parts", fill("a-"))
put("trigger", "work-rest", "n-work-l-" + fill("x-", N - 16))
put("date_text", "marks", fill(", "))
put("date_text", "words", fill("a "))
put("reservation", "items", fill("host.processors=2-4,"))
put("reservation", "tokens", fill("(("))
put("reservation", "one-item-tokens", "host.a=" + fill("( ", N - 16))
put("variable_key", "long", "12-job." + "x" * (N - 8))
# encoded records: noise, a job list text with many jobs, deep elements
rnd = bytes((i * 2654435761 >> 13) & 0xFF for i in range(N))
put("message", "noise", b"\x00\x00\x00\x01" + rnd[4:])
put("job_list", "noise", b"\x00\x00\x00\x01" + rnd[4:])
# many jobs, each with a child list that declares a thousand jobs and holds
# one: what the lists set aside for declared items must follow the bytes
be = lambda v: v.to_bytes(4, "big")
empty_job = bytes([0, 10, 0, 4]) + be(1) + be(0)
child_list = bytes([0, 1, 0, 1]) + be(1000) + empty_job
job_item = bytes([0, 10, 0, 4]) + be(1) + be(12 + len(child_list)) + bytes([0, 10, 0, 4]) + be(5) + be(len(child_list)) + child_list
count = (N - 12) // len(job_item)
put("job_list", "declared-children", be(1) + bytes([0, 1, 0, 1]) + be(count) + job_item * count)
job = "<object type = 'job'><id>1</id><user>ann</user><name>shot</name></object>"
put("job_text", "many-jobs", "<pack><version>1</version><object type = 'job_list'>"
    + fill(job, N - 100) + "</object></pack>")
put("job_text", "deep", "<pack><version>1</version><object type = 'job_list'>"
    + "<a>" * (N // 8) + "</a>" * (N // 8) + "</object></pack>")
put("job_text", "many-elements", "<pack><version>1</version><object type = 'job'>"
    + fill("<user>x</user>", N - 100) + "</object></pack>")
# job hashes: many work hashes, many work items whose stored data nests a
# quote deep (its package string doubles the escapes at every level), a
# package of many elements
work = quote("{name 1001 host node package " + quote("{f 1}") + "}")
put("job_hash", "agenda", "{name shot agenda " + quote("(" + fill(work + " ", N - 64) + ")") + "}")
deep_data = "(=" * 22 + '"' + ")" * 22
deep_work = quote("{name 1 data " + quote(deep_data) + "}")
put("job_hash", "deep-work-data", "{agenda " + quote("(" + fill(deep_work + " ", N - 64) + ")") + "}")
put("job_hash", "wide-package", "{name shot package " + quote("(" + fill("a ") + ")") + "}")
