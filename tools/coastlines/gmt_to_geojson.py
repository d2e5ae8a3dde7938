#!/usr/bin/env python3
"""Turns GMT multi-segment line dumps into the compact GeoJSON the web page's map draws.

Input: files written by `gmt coast ... -M` (one "lon<TAB>lat" pair a line, each segment opened by a
line starting with ">"). Output: a FeatureCollection with one MultiLineString feature per input kind
(property "kind", e.g. "coast" or "border"). GMT cuts every line at its storage bins, so the pieces
that meet end to end are joined again; coordinates are rounded to 2 decimals (about 1 km, plenty for
a world map) and the points that rounding makes equal are dropped. Standard library only.
"""

import argparse
import json
import sys

DECIMALS = 2


def read_segments(path):
    """Yields each segment of a GMT multi-segment file as a list of (lon, lat) pairs, rounded."""
    segment = []
    with open(path, encoding="ascii") as lines:
        for line in lines:
            line = line.strip()
            if not line or line.startswith("#"):
                continue
            if line.startswith(">"):
                if segment:
                    yield segment
                segment = []
                continue
            lon, lat = (float(v) for v in line.split()[:2])
            point = (round(lon, DECIMALS), round(lat, DECIMALS))
            if not segment or segment[-1] != point:
                segment.append(point)
    if segment:
        yield segment


def split_at_dateline(segment):
    """Cuts a segment where it jumps across the 180th meridian, so no line crosses the whole map."""
    piece = [segment[0]]
    for previous, point in zip(segment, segment[1:]):
        if abs(point[0] - previous[0]) > 180:
            yield piece
            piece = []
        piece.append(point)
    yield piece


def join_at_ends(segments):
    """Joins segments that share an end point (bin cuts), so each shared point is written once."""
    pending = [list(s) for s in segments]
    by_end = {}
    for index, seg in enumerate(pending):
        by_end.setdefault(seg[0], set()).add(index)
        by_end.setdefault(seg[-1], set()).add(index)

    def detach(index):
        seg = pending[index]
        for end in (seg[0], seg[-1]):
            by_end[end].discard(index)

    def attach(index):
        seg = pending[index]
        for end in (seg[0], seg[-1]):
            by_end[end].add(index)

    def partner_at(point, index):
        for other in by_end.get(point, ()):
            if other != index and pending[other] is not None:
                return other
        return None

    for index in range(len(pending)):
        if pending[index] is None:
            continue
        detach(index)
        seg = pending[index]
        for _ in range(2):  # grow at the tail, then turn round and grow at the other end
            while seg[0] != seg[-1]:
                other = partner_at(seg[-1], index)
                if other is None:
                    break
                piece = pending[other]
                detach(other)
                pending[other] = None
                if piece[0] != seg[-1]:
                    piece = piece[::-1]
                seg.extend(piece[1:])
            seg.reverse()
        pending[index] = seg
        attach(index)
    return [s for s in pending if s is not None and len(s) >= 2]


def feature(kind, path):
    lines = []
    for segment in read_segments(path):
        lines.extend(p for p in split_at_dateline(segment) if len(p) >= 2)
    lines = join_at_ends(lines)
    return {
        "type": "Feature",
        "properties": {"kind": kind},
        "geometry": {"type": "MultiLineString", "coordinates": [[list(p) for p in line] for line in lines]},
    }


def main():
    parser = argparse.ArgumentParser(
        description="Convert GMT multi-segment line files (gmt coast -M) into one compact GeoJSON "
        "FeatureCollection, one MultiLineString feature per KIND=FILE argument.")
    parser.add_argument("inputs", nargs="+", metavar="KIND=FILE", help='e.g. coast=coast.txt border=border.txt')
    parser.add_argument("-o", "--output", help="output file (default: standard output)")
    args = parser.parse_args()

    features = []
    for item in args.inputs:
        kind, sep, path = item.partition("=")
        if not sep or not kind or not path:
            parser.error(f"expected KIND=FILE, got {item!r}")
        features.append(feature(kind, path))

    text = json.dumps({"type": "FeatureCollection", "features": features}, separators=(",", ":"))
    if args.output:
        with open(args.output, "w", encoding="ascii") as out:
            out.write(text + "\n")
    else:
        sys.stdout.write(text + "\n")
    for f in features:
        lines = f["geometry"]["coordinates"]
        print(f"{f['properties']['kind']}: {len(lines)} lines, {sum(len(l) for l in lines)} points", file=sys.stderr)


if __name__ == "__main__":
    main()
