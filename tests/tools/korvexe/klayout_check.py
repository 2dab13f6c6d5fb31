# Reads GDSII files with KLayout and prints what the engine tests compare. `jobs` holds
# "mode|file|topname" entries separated by ";"; each job's lines follow a line "== N".
#   mode "counts": "L layer datatype shapes" over all cells, then "C name" per cell;
#   mode "flat":   the shapes of cell `topname` after flattening it, one sorted line each;
#   mode "areas":  "A layer datatype kind area" summed per layer, kind path or other.
import pya


def run(mode, fn, topname):
    ly = pya.Layout()
    ly.read(fn)
    lines = []
    if mode == "counts":
        for li in ly.layer_indexes():
            info = ly.get_info(li)
            n = sum(c.shapes(li).size() for c in ly.each_cell())
            if n:
                lines.append("L %d %d %d" % (info.layer, info.datatype, n))
        lines += ["C " + c.name for c in ly.each_cell()]
    elif mode == "flat":
        top = ly.cell(topname)
        top.flatten(-1, True)
        for li in ly.layer_indexes():
            info = ly.get_info(li)
            for s in top.shapes(li).each():
                if s.is_text():
                    lines.append("T %d %d %s %d %d" % (info.layer, info.datatype, s.text_string, s.text.x, s.text.y))
                elif s.is_path():
                    lines.append("P %d %d %s" % (info.layer, info.datatype, str(s.path)))
                else:
                    lines.append("S %d %d %s" % (info.layer, info.datatype, str(s.polygon)))
    elif mode == "areas":
        sums = {}
        for li in ly.layer_indexes():
            info = ly.get_info(li)
            for c in ly.each_cell():
                for s in c.shapes(li).each():
                    if s.is_text():
                        continue
                    kind = "path" if s.is_path() else "other"
                    key = (info.layer, info.datatype, kind)
                    sums[key] = sums.get(key, 0) + s.polygon.area()
        for (l, d, k), a in sums.items():
            lines.append("A %d %d %s %d" % (l, d, k, a))
    return sorted(lines)


for number, job in enumerate(jobs.split(";")):
    mode, fn, topname = job.split("|")
    print("== %d" % number)
    for line in run(mode, fn, topname):
        print(line)
