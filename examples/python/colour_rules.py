"""Colours a plant by rules (a user colour scheme) and exports it.

    python3 colour_rules.py pump-station.json coloured.png
"""

import sys

import kelto3d

RULES = """
<ColourScheme>
  <Aspect Name="Group" Expression="Details.GroupName"/>
  <Aspect Name="Type"  Expression="Details.TypeName" MatchType="RegExp"/>
  <Lookup><Tag Colour="0xA0, 0xA0, 0xA0"/></Lookup>
  <Lookup Group="Valves"><Tag Colour="Red"/></Lookup>
  <Lookup Group="Pipe"><Tag Colour="0, 96, 255"/></Lookup>
  <Lookup Type="^Elbow"><Tag Colour="255, 160, 0"/></Lookup>
</ColourScheme>
"""


def main(plant, out):
    scheme = kelto3d.Dispatch("Kelto3D.UserColScheme")
    errors = scheme.SetConfig(RULES)
    if errors:
        sys.exit("colour rules: " + errors)
    view = kelto3d.Dispatch("Oxbay3Support.Pipeline3DViewCtrl")
    view.SolidModelBuilder.ColourScheme = scheme  # set before the file is built
    file = kelto3d.Dispatch("Kelto.File")
    file.Load(plant)
    counts = {}
    for pipeline in file.Pipelines:
        for component in pipeline.Components:
            colour = scheme.GetColour(component)
            counts[colour] = counts.get(colour, 0) + 1
    for colour, count in sorted(counts.items()):
        print("colour 0x%06X: %d components" % (colour, count))
    panel = kelto3d.Windowless(view, 800, 600)
    view.AddKeltoFile(file)
    with kelto3d.FileDC(out, 800, 600) as dc:
        view.DrawToDC(dc.handle, 0, 0, 800, 600, 0xFFFFFF, 1.0, 800, 600, False)
    panel.close()
    print("wrote", out)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: colour_rules.py PLANT.json OUT.png")
    main(*sys.argv[1:])
