#!/usr/bin/env python3
"""Makes the benchmark data from the real project files of the shared corpus.

Every data set is deterministic from the seed: the same seed and corpus give
the same bytes. Lines are taken from the corpus' *.vbp files (as bytes, so
their code-page characters stay), lengthened or repeated to reach the sizes
asked for, and written with CR LF line ends as the projects have them.

Data sets (each a sub-command, each into a folder given on the command line):
  search   N files of sizes from 1 KB to 20 MB totalling about T bytes; every
           file ends with the end marker and never holds the absent text
  listing  P empty project files (*.vbp in mixed letter case) among O other files
  rewrite  one project file of L lines and about S bytes, one line in ten
           holding the replaced text
  big      one project file of about S bytes of ordinary lines
  projects N project files of the corpus' own sizes and line counts, one line
           in ten holding the replaced text, among O other (empty) files
"""

import argparse
import math
import os
import random
import sys

# The texts the benchmarks look for; the generator keeps them out of every
# line it takes from the corpus.
ABSENT_TEXT = b"QZXJ_AUSENTE_7731"
END_MARKER = b"MARCA_FINAL_7731"
REPLACED_TEXT = b"comun"
# The kinds of the other files of a project folder.
OTHER_EXT = [".frm", ".bas", ".cls", ".frx", ".vbw", ".log", ".txt", ".ctl", ".OLD", ".vbg"]
KB = 1024
MB = 1024 * 1024


def default_corpus():
    here = os.path.dirname(os.path.abspath(__file__))
    return os.path.normpath(os.path.join(here, "..", "..", "shared", "corpus"))


def corpus_lines(corpus):
    """Every line of every *.vbp file under the corpus, as bytes, in a fixed order."""
    paths = []
    for root, dirs, files in os.walk(corpus):
        dirs.sort()
        for name in sorted(files):
            if name.lower().endswith(".vbp"):
                paths.append(os.path.join(root, name))
    if not paths:
        sys.exit(f"no *.vbp files under {corpus}")
    lines = []
    for path in paths:
        with open(path, "rb") as f:
            data = f.read()
        for line in data.replace(b"\r\n", b"\n").replace(b"\r", b"\n").split(b"\n"):
            folded = line.upper()
            if (line and ABSENT_TEXT not in folded and END_MARKER not in folded
                    and REPLACED_TEXT.upper() not in folded):
                lines.append(line)
    return lines, [os.path.splitext(os.path.basename(p))[0] for p in paths]


def corpus_shapes(corpus):
    """(size in bytes, number of lines) of every *.vbp file under the corpus, in a fixed order."""
    shapes = []
    for root, dirs, files in os.walk(corpus):
        dirs.sort()
        for name in sorted(files):
            if name.lower().endswith(".vbp"):
                with open(os.path.join(root, name), "rb") as f:
                    data = f.read()
                shapes.append((len(data), max(1, data.count(b"\n"))))
    return shapes


def block_of(rng, lines, size):
    """About `size` bytes of corpus lines with CR LF, from a random start."""
    out = []
    total = 0
    i = int(rng.random() * len(lines))
    while total < size:
        line = lines[i % len(lines)] + b"\r\n"
        out.append(line)
        total += len(line)
        i += 1
    return b"".join(out)


def file_sizes(rng, count, total, smallest, largest):
    """`count` sizes from `smallest` to `largest` (both present) summing to about `total`.

    Sizes are log-distributed with a skew towards small files, the skew found
    by bisection so that the sum comes out right, as a folder of real projects
    holds many small ones and a few large ones."""
    draws = [rng.random() for _ in range(count - 2)]
    span = math.log(largest / smallest)

    def sizes_for(skew):
        return [smallest, largest] + [int(smallest * math.exp(span * d ** skew)) for d in draws]

    lo, hi = 1.0, 64.0
    for _ in range(60):
        mid = (lo + hi) / 2
        if sum(sizes_for(mid)) > total:
            lo = mid
        else:
            hi = mid
    return sizes_for(hi)


def make_search(args, lines, names):
    rng = random.Random(args.seed)
    os.makedirs(args.dir, exist_ok=True)
    sizes = file_sizes(rng, args.files, args.total, args.smallest, args.largest)
    # One pool of text reused for every file: the bytes differ by their start.
    pool = block_of(rng, lines, 2 * args.largest)
    written = 0
    for n, size in enumerate(sizes):
        start = int(rng.random() * (len(pool) - size))
        body = pool[start:start + size - len(END_MARKER) - 2]
        name = f"{names[n % len(names)]}_{n:05d}.vbp"
        with open(os.path.join(args.dir, name), "wb") as f:
            f.write(body + b"\r\n" + END_MARKER)
        written += len(body) + 2 + len(END_MARKER)
    print(f"search: {len(sizes)} files, {written} bytes, "
          f"{min(sizes)}..{max(sizes)} bytes each, in {args.dir}")


def make_listing(args, lines, names):
    rng = random.Random(args.seed)
    os.makedirs(args.dir, exist_ok=True)
    project_ext = [".vbp", ".vbp", ".vbp", ".VBP", ".Vbp"]
    entries = [(names[int(rng.random() * len(names))], project_ext[int(rng.random() * 5)])
               for _ in range(args.projects)]
    entries += [(names[int(rng.random() * len(names))], OTHER_EXT[int(rng.random() * 10)])
                for _ in range(args.others)]
    # Shuffled, so the listing order says nothing about the sorted order.
    order = list(range(len(entries)))
    rng.shuffle(order)
    # Empty files: the listing reads names only, and empty files are quick
    # to make and to delete by the hundred thousand.
    for n, k in enumerate(order):
        stem, ext = entries[k]
        os.close(os.open(os.path.join(args.dir, f"{stem}_{n:06d}{ext}"),
                         os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644))
    print(f"listing: {args.projects} project files among {args.others} others in {args.dir}")


def rewrite_lines(rng, lines, count, size):
    """`count` lines of about size/count bytes each (CR LF included); one in ten holds the text."""
    mean = size / count - 2
    spellings = [b"comun", b"Comun", b"COMUN", b"CoMuN"]
    for n in range(count):
        want = int(mean * (0.4 + 1.2 * rng.random()))
        line = lines[int(rng.random() * len(lines))]
        while len(line) < want:
            line += b"_" + lines[int(rng.random() * len(lines))]
        line = line[:max(want, 1)]
        if n % 10 == 9:
            # One or two occurrences, in any letter case, inside the line.
            cut = int(rng.random() * (len(line) + 1))
            word = spellings[int(rng.random() * 4)]
            line = line[:cut] + word + b".dll#" + line[cut:]
            if rng.random() < 0.5:
                line += b"#" + spellings[int(rng.random() * 4)]
        yield line + b"\r\n"


def make_rewrite(args, lines, names):
    rng = random.Random(args.seed)
    os.makedirs(args.dir, exist_ok=True)
    path = os.path.join(args.dir, args.name)
    written = 0
    with open(path, "wb") as f:
        batch = []
        for line in rewrite_lines(rng, lines, args.lines, args.size):
            batch.append(line)
            if len(batch) == 10000:
                written += f.write(b"".join(batch))
                batch = []
        written += f.write(b"".join(batch))
    print(f"rewrite: {path}, {args.lines} lines, {written} bytes")


def make_projects(args, lines, names):
    """Project files shaped as the corpus' own, taken in a shuffled order, then
    the other files; the same seed gives the same project files whatever the
    number of others."""
    rng = random.Random(args.seed)
    os.makedirs(args.dir, exist_ok=True)
    shapes = corpus_shapes(args.corpus)
    rng.shuffle(shapes)
    written = 0
    for n in range(args.count):
        size, count = shapes[n % len(shapes)]
        name = f"{names[n % len(names)]}_P{n:05d}.vbp"
        with open(os.path.join(args.dir, name), "wb") as f:
            written += f.write(b"".join(rewrite_lines(rng, lines, count, size)))
    # The others never hold "_P", so no base name of a project is theirs.
    for n in range(args.others):
        stem, ext = names[int(rng.random() * len(names))], OTHER_EXT[int(rng.random() * 10)]
        os.close(os.open(os.path.join(args.dir, f"{stem}_{n:06d}{ext}"),
                         os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644))
    print(f"projects: {args.count} project files, {written} bytes, among {args.others} others "
          f"in {args.dir}")


def make_big(args, lines, names):
    rng = random.Random(args.seed)
    os.makedirs(args.dir, exist_ok=True)
    path = os.path.join(args.dir, args.name)
    chunk = block_of(rng, lines, 8 * MB)
    written = 0
    with open(path, "wb") as f:
        while written + len(chunk) <= args.size:
            written += f.write(chunk)
        written += f.write(chunk[:args.size - written])
    print(f"big: {path}, {written} bytes")


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--corpus", default=default_corpus())
    parser.add_argument("--seed", type=int, default=7731)
    sub = parser.add_subparsers(dest="what", required=True)

    p = sub.add_parser("search")
    p.add_argument("dir")
    p.add_argument("--files", type=int, default=2000)
    p.add_argument("--total", type=int, default=200 * MB)
    p.add_argument("--smallest", type=int, default=1 * KB)
    p.add_argument("--largest", type=int, default=20 * MB)
    p.set_defaults(make=make_search)

    p = sub.add_parser("listing")
    p.add_argument("dir")
    p.add_argument("--projects", type=int, default=32767)
    p.add_argument("--others", type=int, default=100000)
    p.set_defaults(make=make_listing)

    p = sub.add_parser("rewrite")
    p.add_argument("dir")
    p.add_argument("--name", default="Reescribir.vbp")
    p.add_argument("--lines", type=int, default=400000)
    p.add_argument("--size", type=int, default=20 * MB)
    p.set_defaults(make=make_rewrite)

    p = sub.add_parser("big")
    p.add_argument("dir")
    p.add_argument("--name", default="Grande.vbp")
    p.add_argument("--size", type=int, default=512 * MB)
    p.set_defaults(make=make_big)

    p = sub.add_parser("projects")
    p.add_argument("dir")
    p.add_argument("--count", type=int, default=1000)
    p.add_argument("--others", type=int, default=0)
    p.set_defaults(make=make_projects)

    args = parser.parse_args()
    lines, names = corpus_lines(args.corpus)
    args.make(args, lines, names)


if __name__ == "__main__":
    main()
