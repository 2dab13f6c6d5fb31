# Compares paths with their unfolded or flattened boundaries as KLayout reads them. `paths` and
# `unfolded` are GDSII files whose top cells hold (or place) one path per layer and datatype;
# the top cells (or the cells named `top_name`) are compared flattened. Prints per layer and
# datatype "B layer datatype left bottom right top" (KLayout's box of the path) and
# "X layer datatype polygons" where path and boundary do not cover the same area.
import pya


# A region of a cell's flattened shapes reads them from its layout: the layouts stay alive.
layouts = []


def shapes(fn):
    ly = pya.Layout()
    ly.read(fn)
    layouts.append(ly)
    top = ly.cell(top_name) if "top_name" in globals() else ly.top_cell()
    out = {}
    for li in ly.layer_indexes():
        info = ly.get_info(li)
        out[(info.layer, info.datatype)] = (pya.Region(top.begin_shapes_rec(li)), top.bbox_per_layer(li))
    return out


a = shapes(paths)
b = shapes(unfolded)
for key in sorted(a):
    region, box = a[key]
    if not box.empty():
        print("B %d %d %d %d %d %d" % (key[0], key[1], box.left, box.bottom, box.right, box.top))
    other = b.get(key, (pya.Region(), None))[0]
    # A path without area is a line to KLayout and nothing once unfolded: only area counts.
    xor = [p for p in (region ^ other).each() if p.area2() > 0]
    if xor:
        print("X %d %d %s" % (key[0], key[1], " ".join(str(p) for p in xor)[:300]))
for key in sorted(set(b) - set(a)):
    print("X %d %d %s" % (key[0], key[1], str(b[key][0])[:300]))
