# Prints how KLayout places the instances of the structure $top in $path, one line each:
#   INST left bottom right top      the box of one array member (database units)
#   MARK left bottom right top      the box of one shape on layer 10/0 anywhere below $top
import pya

ly = pya.Layout()
ly.read(path)
cell = ly.cell(top)
for inst in cell.each_inst():
    child_box = inst.cell.bbox()
    for t in inst.cell_inst.each_cplx_trans():
        b = child_box.transformed(t)
        print("INST %d %d %d %d" % (b.left, b.bottom, b.right, b.top))
marker = ly.find_layer(10, 0)
if marker is not None:
    it = cell.begin_shapes_rec(marker)
    while not it.at_end():
        b = it.shape().bbox().transformed(it.trans())
        print("MARK %d %d %d %d" % (b.left, b.bottom, b.right, b.top))
        it.next()
