# Prints, for each GDSII file given in $files (separated by ';'), one line per cell as KLayout
# reads it: FILE<TAB>NAME<TAB>boundaries paths arefs srefs texts<TAB>left bottom right top
# (bounding box in database units; "empty" for an empty cell), after lines with the dbu and
# the layer and datatype numbers in use. The box is that of the flattened geometry: KLayout's
# own cell box turns a child's box for a placement at an odd angle, which may stick out, and
# boxes a round path end by its square form.
import pya


def tight_below(ly, cell, memo):
    """Whether the box of `cell` is to be taken from its flattened shapes: its tree places
    anything at an angle that is not a quarter turn, or holds a path with round ends (KLayout's
    cell box takes a round end's square form, where the scanner's extent is the drawn outline)."""
    if cell.cell_index() not in memo:
        memo[cell.cell_index()] = False
        tight = any(s.is_path() and s.path.round for li in ly.layer_indexes() for s in cell.shapes(li).each())
        for inst in cell.each_inst():
            tight = tight or not inst.cplx_trans.is_ortho() or tight_below(ly, inst.cell, memo)
        memo[cell.cell_index()] = tight
    return memo[cell.cell_index()]


def tight_box(ly, cell):
    box = pya.Box()
    for li in ly.layer_indexes():
        box += pya.Region(cell.begin_shapes_rec(li)).bbox()
        box += pya.Texts(cell.begin_shapes_rec(li)).bbox()
    return box


for fn in files.split(";"):
    if not fn:
        continue
    ly = pya.Layout()
    ly.read(fn)
    print("%s\tDBU\t%.12g" % (fn, ly.dbu))
    layers = sorted(set(ly.get_info(li).layer for li in ly.layer_indexes()))
    datatypes = sorted(set(ly.get_info(li).datatype for li in ly.layer_indexes()))
    print("%s\tLAYERS\t%s" % (fn, ",".join(str(x) for x in layers)))
    print("%s\tDATATYPES\t%s" % (fn, ",".join(str(x) for x in datatypes)))
    memo = {}
    for c in ly.each_cell():
        counts = [0, 0, 0, 0, 0]
        for li in ly.layer_indexes():
            for s in c.shapes(li).each():
                if s.is_polygon() or s.is_box() or s.is_simple_polygon():
                    counts[0] += 1
                elif s.is_path():
                    counts[1] += 1
                elif s.is_text():
                    counts[4] += 1
        for inst in c.each_inst():
            if inst.is_regular_array():
                counts[2] += 1
            else:
                counts[3] += 1
        b = tight_box(ly, c) if tight_below(ly, c, memo) else c.bbox()
        box = "empty" if b.empty() else "%d %d %d %d" % (b.left, b.bottom, b.right, b.top)
        print("%s\t%s\t%s\t%s" % (fn, c.name, " ".join(str(x) for x in counts), box))
