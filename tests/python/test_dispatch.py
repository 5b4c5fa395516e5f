"""Late-bound objects from Python: members by name, the default member,
collections, identity, failures as ComError, and references given back."""

import pydoc

import pytest


@pytest.fixture
def tree(kelto3d):
    """root -> child (with a line and a circle), a second child."""
    root = kelto3d.Dispatch("Oxbay3Support.ModelNode")
    child = kelto3d.Dispatch("Oxbay3Support.ModelNode")
    child.Geometry.Add3DLine(0, 0, 0, 1, 2, 3)               # Colour left out
    child.Geometry.Add3DCircle(0, 0, 0, 10, 0, 0, 1, Colour=0xFF)
    child.Object = kelto3d.Dispatch("Kelto3D.Line")          # any object keys a node
    root.AddChild(child)
    return root, child


def test_members_by_name(kelto3d, tree):
    root, child = tree
    assert root.children.count == 1                           # names ignore case
    line, circle = child.Geometry
    assert (line.Type, line.End, circle.Type, circle.Colour) == (1, (1.0, 2.0, 3.0), 5, 0xFF)
    circle.Colour = 0x00FF00                                  # put
    assert child.Geometry(1).Colour == 0x00FF00
    key = kelto3d.Dispatch("Kelto3D.Cone")
    child.Object = key                                        # putref (an object)
    assert child.Object == key
    assert root.SearchSubtree(key) == child
    assert "Line : (0, 0, 0) to (1, 2, 3)" in root.Dump()
    with pytest.raises(AttributeError, match="no member 'Chilren'"):
        root.Chilren
    with pytest.raises(kelto3d.ComError, match="No class is known as 'No.Such'"):
        kelto3d.Dispatch("No.Such")


def test_named_arguments_take_their_places(kelto3d):
    geometry = kelto3d.Dispatch("Kelto3D.Primitives")
    names = [n for n in dir(geometry) if n.startswith("Add3D")]
    assert names == ["Add3DCircle", "Add3DCone", "Add3DCurvedCone", "Add3DLine", "Add3DSnout"]
    assert "Add3DSnout" in pydoc.render_doc(geometry, renderer=pydoc.plaintext)
    params = list(__import__("inspect").signature(type(geometry).Add3DLine).parameters)
    geometry.Add3DLine(**{p: i for i, p in enumerate(params[1:], 1)})
    assert geometry[0].Start == (1.0, 2.0, 3.0)
    assert geometry[0].Colour == 7
    with pytest.raises(TypeError, match="no parameter"):
        geometry.Add3DLine(0, 0, 0, 1, 1, 1, Color=3)
    with pytest.raises(TypeError, match="twice"):
        geometry.Add3DLine(0, 0, 0, 1, 1, 1, 5, **{params[7]: 3})


def test_collections_and_identity(kelto3d, tree):
    root, child = tree
    children = root.Children
    assert (len(children), children[1], children(1), list(children)) == \
        (1, child, child, [child])
    assert children[child.Object] == child                    # an object is a key
    assert len(child.Geometry) == 2 and child.Geometry[0].Type == 1
    again = root.Children.Item(1)
    assert again == child and hash(again) == hash(child) and again is not child
    assert root != child and root != "root"
    assert {child, again, root} == {child, root}


ERRORS = [
    # what is called, HRESULT name, description
    (lambda r, c, k: r.Children.Item(0), "DISP_E_BADINDEX", "Invalid Position"),
    (lambda r, c, k: r.Children.Item(k.Dispatch("Kelto3D.Line")), "DISP_E_BADINDEX", "No Match"),
    (lambda r, c, k: c.Geometry.Item(5), "DISP_E_BADINDEX", "invalid vector<T> subscript"),
    (lambda r, c, k: c.AddChild(r), "E_FAIL", "Cyclic model tree not allowed."),
    (lambda r, c, k: [t := k.Dispatch("Kelto3D.DragActionTable"), t.Add(1, 2), t.Add(1, 2)],
     "E_FAIL", "Already exists."),
]


@pytest.mark.parametrize("call, name, description", ERRORS)
def test_failures_carry_the_error_information(kelto3d, tree, call, name, description):
    root, child = tree
    with pytest.raises(kelto3d.ComError) as failure:
        call(root, child, kelto3d)
    error = failure.value
    assert (error.name, error.description) == (name, description) and error.hresult < 0
    assert error.source.startswith("{") and description in str(error) and error.member


@pytest.mark.parametrize("call, name, argument", [
    (lambda g: g.Add3DLine("x", 0, 0, 1, 1, 1), "DISP_E_TYPEMISMATCH", 0),
    (lambda g: g.Add3DLine(0, 0, 0, 1, 1, "y"), "DISP_E_TYPEMISMATCH", 5),
    (lambda g: g.Add3DLine(0, 0), "DISP_E_BADPARAMCOUNT", None),
])
def test_arguments_the_member_refuses(kelto3d, call, name, argument):
    with pytest.raises(kelto3d.ComError) as failure:
        call(kelto3d.Dispatch("Kelto3D.Primitives"))
    assert (failure.value.name, failure.value.argument) == (name, argument)


def test_out_parameters_are_returned(kelto3d, example):
    engine = kelto3d.Dispatch("Kelto3D.TagEngine")
    assert engine.SetSpec("<R><Lookup><Tag Kind='pipe'/></Lookup></R>") == ""
    assert engine.SetSpec("<R><Bad") == "XML is not well formed.\n"
    file = kelto3d.Dispatch("Kelto.File")
    file.Load(example("drain-spool"))
    point = file.Pipelines[0].Components[0].Points[0]
    assert len(point.Position()) == 3


def test_references_are_released(kelto3d, unload_now):
    root = kelto3d.Dispatch("Oxbay3Support.ModelNode")
    child = kelto3d.Dispatch("Oxbay3Support.ModelNode")
    root.AddChild(child)
    geometry = child.Geometry
    assert unload_now() == 1                                  # S_FALSE: objects alive
    with kelto3d.Dispatch("Oxbay3Support.ModelNode") as node:
        node.Geometry.Add3DLine(0, 0, 0, 1, 1, 1)
    with pytest.raises(ValueError, match="released"):
        node.Dump()
    del root, child, geometry
    assert unload_now() == 0                                  # S_OK
