"""The first differences of two dumps of the same calls, line by line
(scripts/compare-outputs.sh): for each differing line, its start (which
names the call) and both texts around the first character that differs.

    python3 first_diff.py BASE_FILE HEAD_FILE [COUNT]
"""
import itertools
import sys

CONTEXT = 40


def around(text, at):
    start = max(0, at - CONTEXT)
    return ("..." if start else "") + text[start:at + CONTEXT] + ("..." if at + CONTEXT < len(text) else "")


def main(argv):
    count = int(argv[3]) if len(argv) > 3 else 3
    with open(argv[1], encoding="latin-1") as a, open(argv[2], encoding="latin-1") as b:
        shown = 0
        for number, (x, y) in enumerate(itertools.zip_longest(a, b, fillvalue=""), 1):
            if x == y:
                continue
            x, y = x.rstrip("\n"), y.rstrip("\n")
            at = next((i for i, (p, q) in enumerate(zip(x, y)) if p != q), min(len(x), len(y)))
            call = (x or y).split(" rc=")[0][:CONTEXT]  # the area and the call's arguments
            print("    line %d, %s" % (number, call))
            print("      base: " + (around(x, at) if x else "(no line)"))
            print("      head: " + (around(y, at) if y else "(no line)"))
            shown += 1
            if shown == count:
                break


if __name__ == "__main__":
    sys.exit(main(sys.argv))
