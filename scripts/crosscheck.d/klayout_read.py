# Run by scripts/crosscheck inside KLayout (klayout -b -r), once per layout, so that KLayout
# starts once for all the reads of one layout and its outputs.
#   `boxes`: files for tests/tools/quarn/klayout_cells.py (`cells_script`), run as it is;
#   `jobs`:  "mode|file|other|top" entries separated by ";", each printed after "=== N":
#     census: per cell "C name", then "S layer datatype shapes" and "R child" lines;
#     xor:    per layer/datatype where the flattened `top` of file and of other differ, one line
#             "X layer datatype area left bottom right top" (round path ends of file given 5 nm);
#     xorflat: the same, for a flat other (snapping slivers accepted, see below);
#     xorcells: the same for each cell's own shapes against its namesake's, " in NAME" added.
# Names are printed with %XX for bytes outside 0x21..0x7E and for % ( ) |, as the scanner does.
import pya

layouts = {}


def layout(fn):
    if fn not in layouts:
        ly = pya.Layout()
        ly.read(fn)
        layouts[fn] = ly
    return layouts[fn]


def encode(name):
    out = []
    for b in name.encode("utf-8"):
        out.append("%%%02X" % b if b < 0x21 or b > 0x7E or chr(b) in "%()|" else chr(b))
    return "".join(out)


def census(fn):
    ly = layout(fn)
    lines = []
    for c in ly.each_cell():
        lines.append("C " + encode(c.name))
        for li in ly.layer_indexes():
            n = c.shapes(li).size()
            if n:
                info = ly.get_info(li)
                lines.append("S %d %d %d" % (info.layer, info.datatype, n))
        children = []
        for inst in c.each_inst():
            name = encode(inst.cell.name)
            if name not in children:
                children.append(name)
        lines += ["R " + name for name in children]
    return lines


def layer_map(ly):
    return {(ly.get_info(li).layer, ly.get_info(li).datatype): li for li in ly.layer_indexes()}


def cell_named(ly, encoded):
    for c in ly.each_cell():
        if encode(c.name) == encoded:
            return c
    return None


# The shapes of `cell` on layer `li`: flattened, or with `own` only those of the cell itself.
def shapes_of(cell, li, own):
    it = cell.begin_shapes_rec(li)
    if own:
        it.max_depth = 0
    return it


# Round path ends are polygons on both sides, each with its own number of points on the arc:
# near them, differences thinner than 5 nm are accepted.
def round_end_zone(cell, li, dbu, own):
    zone = pya.Region()
    tolerance = max(1, int(round(0.005 / dbu)))
    it = shapes_of(cell, li, own)
    while not it.at_end():
        s = it.shape()
        if s.is_path() and s.path.round:
            t = it.trans()
            points = list(s.path.each_point())
            r = int(abs(s.path.width) * t.mag / 2) + 2 * tolerance
            for p in (points[0], points[-1]):
                q = t * p
                zone.insert(pya.Box(q.x - r, q.y - r, q.x + r, q.y + r))
        it.next()
    return zone, tolerance


# KLayout's boolean operations do not finish on geometry spanning most of the 32-bit range,
# and the layouts have shapes near its corners: such a layer is compared in nine tiles, split
# at +-2^30, each shape going whole to the tile of its box's centre. (Searching the hierarchy
# by tile instead would transform the tile's box into child coordinates, where it overflows.)
def spans(region):
    box = region.bbox()
    return not box.empty() and (box.width() >= (1 << 30) or box.height() >= (1 << 30))


# `split`: whether to tile, decided once for the regions compared, so that tile k of each holds
# the same part of the plane.
def tiles(region, split):
    if not split:
        return [region]
    side = lambda v: 0 if v < -(1 << 30) else (2 if v > (1 << 30) else 1)
    parts = [pya.Region() for _ in range(9)]
    for polygon in region.each():
        c = polygon.bbox().center()
        parts[side(c.x) * 3 + side(c.y)].insert(polygon)
    return parts


# A path without area (zero width) is a line to KLayout and nothing once unfolded: the pieces of
# a difference that have no area are no difference.
def solid(region):
    return pya.Region([p for p in region.each() if p.area2() > 0])


# A flattened point lands on the grid. Placed at an angle that is not a quarter turn, or
# magnified, a shape's points are snapped once in a flat output but stay exact in KLayout's view
# of the hierarchy, and a path's outline is drawn from its snapped centre line: the two differ by
# slivers up to one unit wide. For flat outputs, differences that vanish when shrunk by one unit
# are taken as such slivers; anything wider is a difference.
def xor_cells(a, b, ca, cb, snapped, own, where):
    la, lb = layer_map(a), layer_map(b)
    lines = []
    for key in sorted(set(la) | set(lb)):
        ra = pya.Region(shapes_of(ca, la[key], own)) if key in la else pya.Region()
        rb = pya.Region(shapes_of(cb, lb[key], own)) if key in lb else pya.Region()
        zone, tolerance = round_end_zone(ca, la[key], a.dbu, own) if key in la else (pya.Region(), 0)
        big = spans(ra + rb)
        for pa, pb, pz in zip(tiles(ra, big), tiles(rb, big), tiles(zone, big)):
            diff = solid(pa ^ pb)
            if not diff.is_empty() and not pz.is_empty():
                diff = (diff - pz) + (diff & pz).sized(-(tolerance // 2 + 1))
            if snapped and not diff.is_empty():
                diff = diff.sized(-1)
            if not diff.is_empty():
                box = diff.bbox()
                lines.append("X %d %d %d %d %d %d %d%s" % (key[0], key[1], diff.area(), box.left, box.bottom, box.right,
                                                           box.top, where))
    return lines


# The top cells of both, flattened.
def xor(fn, other, top, snapped=False):
    a, b = layout(fn), layout(other)
    ca, cb = cell_named(a, top), cell_named(b, top)
    if ca is None or cb is None:
        return ["missing %s in %s" % (top, fn if ca is None else other)]
    return xor_cells(a, b, ca, cb, snapped, False, "")


# Each cell's own shapes against those of its namesake, for outputs that keep the hierarchy: it
# checks the same as the flattened top, without flattening trees that unfold to gigabytes.
def xor_each(fn, other):
    a, b = layout(fn), layout(other)
    lines = []
    for ca in a.each_cell():
        name = encode(ca.name)
        cb = cell_named(b, name)
        lines += ["missing %s in %s" % (name, other)] if cb is None else xor_cells(a, b, ca, cb, False, True,
                                                                                   " in " + name)
    return lines


def job_lines(mode, fn, other, top):
    if mode == "census":
        return census(fn)
    if mode == "xorcells":
        return xor_each(fn, other)
    return xor(fn, other, top, mode == "xorflat")


exec(open(cells_script).read(), {"pya": pya, "files": boxes})
for number, job in enumerate(j for j in jobs.split(";") if j):
    mode, fn, other, top = job.split("|")
    print("=== %d" % number)
    for line in job_lines(mode, fn, other, top):
        print(line)
