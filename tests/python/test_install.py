"""What a new user gets: `cmake --install` into a fresh prefix, then the
first script of docs/python.md, run with nothing of the build tree in the
environment, makes a PNG of a bundled plant."""

import glob
import os
import re
import shutil
import subprocess
import sys

from conftest import BUILD, SOURCE


def first_script():
    text = open(os.path.join(SOURCE, "docs", "python.md"), encoding="utf-8").read()
    return re.search(r"```python\n(.*?)```", text, re.S).group(1)


def test_installed_package_runs_the_first_script(tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run(["cmake", "--install", BUILD, "--prefix", str(prefix), "--component",
                    "runtime"], check=True, capture_output=True)
    packages = glob.glob(str(prefix / "lib" / "python3*" / "*-packages" / "kelto3d"))
    assert len(packages) == 1, packages
    script = first_script().replace("/usr/share", str(prefix / "share"))
    env = {"PATH": os.environ["PATH"], "HOME": str(tmp_path),
           "XDG_CONFIG_HOME": str(tmp_path / "config"),
           "PYTHONPATH": os.path.dirname(packages[0])}
    env.update({k: v for k, v in os.environ.items() if k in ("LD_PRELOAD", "ASAN_OPTIONS")})
    done = subprocess.run([sys.executable, "-c", script + "\nimport kelto3d\n"
                           "print(kelto3d.library_folder(), kelto3d.__file__)"],
                          cwd=tmp_path, env=env, capture_output=True, text=True)
    assert done.returncode == 0, done.stderr
    folder, package = done.stdout.splitlines()[-1].split()
    assert folder.startswith(str(prefix)) and package.startswith(packages[0])
    assert (tmp_path / "pump-station.png").read_bytes()[:8] == b"\x89PNG\r\n\x1a\n"


def test_without_libraries_the_error_says_where_it_looked(tmp_path):
    # A copy of the package outside the checkout: only the variable and the
    # loader's path are left to try.
    shutil.copytree(os.path.join(SOURCE, "python", "kelto3d"), tmp_path / "site" / "kelto3d")
    env = {"PATH": os.environ["PATH"], "KELTO3D_LIBRARY_DIR": str(tmp_path),
           "PYTHONPATH": str(tmp_path / "site")}
    done = subprocess.run([sys.executable, "-B", "-c", "import kelto3d; kelto3d.Dispatch('X.Y')"],
                          cwd=tmp_path, env=env, capture_output=True, text=True)
    assert done.returncode == 1
    assert "cannot find libkelto3d-runtime.so.0" in done.stderr and str(tmp_path) in done.stderr
