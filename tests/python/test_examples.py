"""Each example of examples/python run as a user runs it, without a display,
with its output checked."""

import os
import shutil
import subprocess
import sys

import pytest

from conftest import EXAMPLES, SOURCE

FOLDER = os.path.join(SOURCE, "examples", "python")


def run(script, *args, status=0):
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}  # headless
    done = subprocess.run([sys.executable, os.path.join(FOLDER, script), *args], env=env,
                          capture_output=True, text=True, timeout=300)
    assert done.returncode == status, done.stdout + done.stderr
    return done.stdout, done.stderr


def plant(name):
    return os.path.join(EXAMPLES, name + ".json")


def test_primitives(tmp_path):
    out, _ = run("primitives.py", str(tmp_path / "skid.png"))
    assert out.splitlines() == ["model: 2 nodes, 10 primitives", "wrote %s" % (tmp_path / "skid.png")]
    assert (tmp_path / "skid.png").read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"


def test_select_by_tag(tmp_path):
    out, _ = run("select_by_tag.py", plant("pump-station"), "Valves", str(tmp_path / "v.png"))
    lines = out.splitlines()
    assert lines[:4] == ["selected 8-P-101-A1/7 Gate-Valve", "selected 6-P-102-A1/6 Check-Valve",
                         "selected 6-P-102-A1/12 Gate-Valve", "selected 6-P-102-A1/18 Needle-Valve"]
    assert lines[4] == "4 components selected" and (tmp_path / "v.png").stat().st_size > 1000


def test_colour_rules(tmp_path):
    out, _ = run("colour_rules.py", plant("pump-station"), str(tmp_path / "c.png"))
    # Valves red (0x0000FF), pipe blue, elbows orange, the rest grey: 52 in all.
    counts = {line.split()[1]: int(line.split()[2]) for line in out.splitlines()
              if line.startswith("colour")}
    assert counts["0x0000FF:"] == 4 and sum(counts.values()) == 52 and len(counts) == 4


def test_batch_pdf_goes_on_after_a_bad_file(tmp_path):
    plants = tmp_path / "plants"
    plants.mkdir()
    for name in ("drain-spool", "steam-header"):
        shutil.copy(plant(name), plants)
    (plants / "broken.json").write_text("{ not json")
    out, err = run("batch_pdf.py", str(plants), str(tmp_path / "pdf"), status=1)
    assert [line.split(" -> ")[0] for line in out.splitlines()] == ["drain-spool.json",
                                                                   "steam-header.json"]
    assert err.startswith("broken.json: ") and "broken.json" in err[12:]
    pdfs = sorted(os.listdir(tmp_path / "pdf"))
    assert pdfs == ["drain-spool.pdf", "steam-header.pdf"]
    for pdf in pdfs:
        assert (tmp_path / "pdf" / pdf).read_bytes()[:5] == b"%PDF-"


def test_selection_events():
    out, _ = run("selection_events.py", plant("drain-spool"))
    lines = out.splitlines()
    picked = lines[1].rsplit("selected=", 1)[1]
    assert lines == ["ViewChanged",
                     "SelectionChanged unselected=- selected=%s" % picked,
                     "SelectionChanged unselected=%s selected=-" % picked,
                     "SelectionChanged unselected=- selected=%s" % picked,
                     "selected now: %s" % picked]
    assert picked.startswith("D401-")


@pytest.mark.parametrize("args, status, text", [
    (["info", plant("drain-spool")], 0, "2IN-D-401-A1: 7 components"),
    (["render", plant("drain-spool"), "-o", "OUT/d.gif"], 1, ".png, .pdf or .svg"),
    (["render", plant("drain-spool"), "-o", "OUT/d.png", "--size", "0x5"], 2, "WIDTHxHEIGHT"),
])
def test_module_entry_point(tmp_path, args, status, text):
    args = [a.replace("OUT", str(tmp_path)) for a in args]
    done = subprocess.run([sys.executable, "-m", "kelto3d", *args], capture_output=True,
                          text=True, timeout=300)
    assert done.returncode == status and text in done.stdout + done.stderr, done.stderr
