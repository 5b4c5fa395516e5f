"""Builds a small model from primitives (no piping file) and exports it.

    python3 primitives.py skid.png
"""

import sys

import kelto3d

RED, GREY, BLUE = 0x0000FF, 0xC0C0C0, 0xFF0000


def build():
    """A pump skid: a base frame of lines, a suction line with a reducer and
    an elbow, a discharge line with a flange, all as model nodes."""
    skid = kelto3d.Dispatch("Oxbay3Support.ModelNode")
    frame = kelto3d.Dispatch("Oxbay3Support.ModelNode")
    for a, b in [((0, 0), (3000, 0)), ((3000, 0), (3000, 1200)), ((3000, 1200), (0, 1200)),
                 ((0, 1200), (0, 0))]:
        frame.Geometry.Add3DLine(*a, 0, *b, 0, Colour=GREY)
    pipe = kelto3d.Dispatch("Oxbay3Support.ModelNode")
    g = pipe.Geometry
    g.Add3DCone(-1500, 600, 500, 168, 0, 600, 500, 168, BLUE)           # suction pipe
    g.Add3DSnout(0, 600, 500, 168, 300, 600, 500, 114, 0, 0, 1, BLUE)   # eccentric reducer
    g.Add3DCone(300, 600, 500, 114, 2000, 600, 500, 114, BLUE)          # discharge pipe
    g.Add3DCurvedCone(2000, 600, 500, 114, 2150, 600, 650, 114, 2000, 600, 650, BLUE)
    g.Add3DCone(2150, 600, 650, 114, 2150, 600, 2000, 114, BLUE)        # riser
    g.Add3DCircle(2150, 600, 2000, 220, 0, 0, 1, RED)                  # flange face
    for part in (frame, pipe):
        part.Object = kelto3d.Dispatch("Kelto3D.Line")  # any object keys a node
        skid.AddChild(part)
    return skid


def main(out):
    skid = build()
    counts = [len(child.Geometry) for child in skid.Children]
    print("model: %d nodes, %d primitives" % (len(counts), sum(counts)))
    kelto3d.render(skid, out, view="NorthTopLeft", size=(640, 480))
    print("wrote", out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "skid.png")
