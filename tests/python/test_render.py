"""Headless pictures: render() and DrawToDC into the device contexts of the
package, on a machine without a display."""

import shutil

import pytest

W, H = 160, 120


def not_white(pixels):
    return sum(1 for i in range(0, len(pixels), 4) if pixels[i:i + 3] != b"\xff\xff\xff")


@pytest.fixture(autouse=True)
def no_display(monkeypatch):
    monkeypatch.delenv("DISPLAY", raising=False)


@pytest.mark.parametrize("representation", ["solid", "symbolic"])
def test_render_in_memory(kelto3d, example, representation):
    pixels = kelto3d.render(example("pump-station"), size=(W, H), view="LookDown",
                            representation=representation)
    assert len(pixels) == W * H * 4 and not_white(pixels) > 100


@pytest.mark.parametrize("name, magic", [("p.png", b"\x89PNG"), ("p.pdf", b"%PDF"),
                                         ("p.svg", b"<?xm")])
def test_render_files(kelto3d, example, tmp_path, name, magic):
    out = str(tmp_path / name)
    assert kelto3d.render([example("drain-spool"), example("steam-header")], out) == out
    assert open(out, "rb").read(4) == magic


def test_a_model_built_in_python_renders(kelto3d):
    node = kelto3d.Dispatch("Oxbay3Support.ModelNode")
    node.Geometry.Add3DCone(0, 0, 0, 300, 1000, 0, 0, 300, 0x0000FF)
    pixels = kelto3d.render(node, size=(W, H))
    red = sum(1 for i in range(0, len(pixels), 4)                 # lit: shades of red
              if pixels[i + 2] > 100 and pixels[i + 1] < 60 and pixels[i] < 60)
    assert red > 100


def test_draw_to_dc_stretches_into_the_rectangle(kelto3d):
    # The bitmap (background only, no axes) into the left half, then all.
    view = kelto3d.Dispatch("Oxbay3Support.Pipeline3DViewCtrl")
    with kelto3d.ImageDC(W, H) as dc:
        assert dc.size() == (W, H) and not_white(dc.pixels()) == W * H   # black until drawn
        view.DrawToDC(dc.handle, 0, 0, W // 2, H, 0xFFFFFF, 0.0, 64, 64, True)
        buffer = dc.buffer()
        assert [buffer[y, x, 0] for x, y in [(0, 0), (W // 2 - 1, H - 1), (W // 2, 0)]] == \
            [255, 255, 0]
        view.DrawToDC(dc, 0, 0, W, H, 0xFFFFFF, 0.0, 128, 96, False)     # int(dc) is the handle
        assert not_white(dc.pixels()) == 0


@pytest.mark.parametrize("call, error, text", [
    (lambda k, ex: k.render(ex("drain-spool"), "/no/such/folder/x.pdf"), "ComError", "x.pdf"),
    (lambda k, ex: k.render(ex("drain-spool"), "x.gif"), "ValueError", ".png, .pdf or .svg"),
    (lambda k, ex: k.render(ex("drain-spool"), view="Sideways"), "ValueError", "LookDown"),
    (lambda k, ex: k.render("/no/such.json"), "ComError", "/no/such.json"),
])
def test_failures_name_the_problem(kelto3d, example, call, error, text):
    with pytest.raises((kelto3d.ComError, ValueError)) as failure:
        call(kelto3d, example)
    assert type(failure.value).__name__ == error and text in str(failure.value)


def test_a_png_that_cannot_be_written_fails_when_finished(kelto3d, tmp_path):
    folder = tmp_path / "gone"
    folder.mkdir()
    dc = kelto3d.FileDC(str(folder / "late.png"), 10, 10)
    shutil.rmtree(folder)  # whatever the PNG had begun there goes too
    with pytest.raises(kelto3d.ComError, match="late.png"):
        dc.finish()
    dc.delete()
    with pytest.raises(ValueError, match="deleted"):
        dc.size()
