"""Opens a plant, selects its components by tag with the tag engine, and
exports the view with the selection highlighted.

    python3 select_by_tag.py pump-station.json Valves selected.png
"""

import sys

import kelto3d

RULES = """
<Rules>
  <Aspect Name="Group" Expression="Details.GroupName"/>
  <Lookup><Tag Group="{group}"/></Lookup>
  <Lookup Group="{group}"><Tag Selected="yes"/></Lookup>
</Rules>
"""


def main(plant, group, out):
    view = kelto3d.Dispatch("Oxbay3Support.Pipeline3DViewCtrl")
    panel = kelto3d.Windowless(view, 800, 600)  # the picture's proportions
    view.GraphicsOptions["BackgroundColour"] = 0xFFFFFF  # before selecting: see docs/python.md
    file = kelto3d.Dispatch("Kelto.File")
    file.Load(plant)
    view.AddKeltoFile(file)
    engine = kelto3d.Dispatch("Kelto3D.TagEngine")
    errors = engine.SetSpec(RULES.format(group=group))
    if errors:
        sys.exit("tag rules: " + errors)
    for pipeline in file.Pipelines:
        for component in pipeline.Components:
            if engine.GetTags(component).Count > 1:  # "Selected" beside "Group"
                view.Select(component)
                print("selected", component.Id, component.Details.TypeName)
    print("%d components selected" % len(view.SelectedItems))
    with kelto3d.FileDC(out, 800, 600) as dc:
        panel.draw(dc)  # the view as it shows, the selection in red
    panel.close()
    print("wrote", out)


if __name__ == "__main__":
    if len(sys.argv) != 4:
        sys.exit("usage: select_by_tag.py PLANT.json GROUP OUT.png")
    main(*sys.argv[1:])
