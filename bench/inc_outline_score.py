#!/usr/bin/env python3
"""Scores the outlines of include files (.inc) outlined on their own.

There are no reference outlines of lone include files, but the references that follow include
files (made with `refoutline -a`, one TSV per unit: line, depth, kind, name, comment, file) carry,
for each declaration, the file it is written in. This script cuts such references into one
reference per include file: the declarations written in that file, each with its parent when the
parent is written in the same file (a member of a class declared in the unit has none here), the
locals of routines kept as locals. Declarations of a file included in it are left out: a lone
file is outlined without following its includes. An include file met in several references is
scored once, from the first.

It then runs `PROGRAM --records FILE.inc --rules RULES` on each include file and scores the
records with the measures of ../shared/tools/outline-score (imported from there, see --scorer):
recall, precision, nesting and placement, per file and in total.

Usage:
    bench/inc_outline_score.py --program build/bin/quillane --rules data/CodeScan.dll \
        [REFS...] [--file NAME] [-v]
REFS are reference TSV files or folders of them; default ../shared/refoutlines/includes-dev.
"""
import argparse
import csv
import importlib.machinery
import importlib.util
import os
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SHARED = os.path.normpath(os.path.join(HERE, "..", "..", "shared"))


def load_scorer(path):
    loader = importlib.machinery.SourceFileLoader("outline_score", path)
    spec = importlib.util.spec_from_loader("outline_score", loader)
    mod = importlib.util.module_from_spec(spec)
    loader.exec_module(mod)
    return mod


def reference_files(args):
    for item in args:
        if os.path.isdir(item):
            for name in sorted(os.listdir(item)):
                if name.endswith(".tsv"):
                    yield os.path.join(item, name)
        else:
            yield item


def include_references(base, ref_path):
    """{include file: its entries} cut from one include-following reference."""
    entries = base.read_reference(ref_path)  # parents and core/optional/local over the whole unit
    with open(ref_path, encoding="utf-8") as f:
        files = [row[5] if len(row) > 5 else "" for row in csv.reader(f, delimiter="\t", quoting=csv.QUOTE_NONE)
                 if row and row[0] != "line"]
    for e, name in zip(entries, files):
        e["file"] = os.path.realpath(name) if name else ""
    cut = {}
    for e in entries:
        if not e["file"]:
            continue
        seen, kept = cut.setdefault(e["file"], (set(), []))
        key = (e["line"], e["kind"], e["name"])
        if key in seen:  # the same text included twice
            continue
        seen.add(key)
        p = e["parent"]
        kept.append(dict(e, parent=None if p is None or p["file"] != e["file"] else p))
    # parents must be the copies kept for the file, so that found[id(parent)] works
    out = {}
    for name, (_, kept) in cut.items():
        by_key = {(e["line"], e["kind"], e["name"]): e for e in kept}
        for e in kept:
            p = e["parent"]
            if p is not None:
                e["parent"] = by_key.get((p["line"], p["kind"], p["name"]))
        out[name] = kept
    return out


def pct(a, b):
    return 100.0 * a / b if b else 100.0


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--program", required=True)
    ap.add_argument("--rules", required=True)
    ap.add_argument("--scorer", default=os.path.join(SHARED, "tools", "outline-score"))
    ap.add_argument("--file", default=None, help="only include files whose path contains this")
    ap.add_argument("-v", action="store_true", help="list missed declarations and unmatched records")
    ap.add_argument("refs", nargs="*", default=[os.path.join(SHARED, "refoutlines", "includes-dev")])
    a = ap.parse_args()
    base = load_scorer(a.scorer)
    refs = {}
    for path in reference_files(a.refs):
        for name, entries in include_references(base, path).items():
            refs.setdefault(name, entries)
    tot = [0] * 8
    print("file\trecall%\tprecision%\tnesting%\tplacement%\tdecls\trecords")
    for name in sorted(refs):
        if a.file and a.file not in name:
            continue
        if not os.path.exists(name):
            sys.exit(f"source not found: {name}")
        entries = refs[name]
        recs, rc, err = base.run_records(a.program, a.rules, name)
        skip = frozenset(base.inactive_lines(name, entries))
        c, cf, n, g, nt, no, missed, unmatched = base.score_file(entries, recs, skip)
        pc, po = base.placement(entries, recs, skip)
        for i, v in enumerate((c, cf, n, g, nt, no, pc, po)):
            tot[i] += v
        note = "" if rc == 0 else f"\texit {rc}: {err.strip()[:120]}"
        print(f"{name}\t{pct(cf, c):.1f}\t{pct(g, n):.1f}\t{pct(no, nt) if nt else '-'}\t"
              f"{pct(po, pc) if pc else '-'}\t{c}\t{n}{note}")
        if a.v:
            for e in missed[:40]:
                print(f"    missed  {e['line']:>6}  {e['kind']:<22} {e['name']}")
            for r in unmatched[:40]:
                print(f"    extra   {r['line']:>6}  {r['type'][:22]:<22} {r['decl'][:80]}")
    rec, prec, nest, place = pct(tot[1], tot[0]), pct(tot[3], tot[2]), pct(tot[5], tot[4]), pct(tot[7], tot[6])
    print(f"TOTAL\t{rec:.1f}\t{prec:.1f}\t{nest:.1f}\t{place:.1f}\t{tot[0]}\t{tot[2]}")
    print(f"{len(refs) if not a.file else 'some'} include files: recall {rec:.1f}% ({tot[1]} of {tot[0]})  "
          f"precision {prec:.1f}% ({tot[3]} of {tot[2]})  nesting {nest:.1f}% ({tot[5]} of {tot[4]} members)  "
          f"placement {place:.1f}% ({tot[7]} of {tot[6]})")


if __name__ == "__main__":
    main()
