"""Test set-up for every file here: the kelto3d package from this checkout,
the libraries of the build (ctest names them; on its own pytest takes
build/dev), a settings store of the session's own, and fixtures."""

import os
import sys
import tempfile

import pytest

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
BUILD = os.environ.get("KELTO_BUILD_DIR") or os.path.join(SOURCE, "build", "dev")
LIB = os.environ.setdefault("KELTO3D_LIBRARY_DIR", os.path.join(BUILD, "lib"))
for variable, file in [("KELTO_RUNTIME_LIBRARY", "libkelto3d-runtime.so"),
                       ("KELTO_COMPONENT_MODULE", "libkelto3d.so"),
                       ("KELTO_PIPING_MODULE", "libkelto.so")]:
    os.environ.setdefault(variable, os.path.join(LIB, file))
os.environ.setdefault("KELTO_EXAMPLES", os.path.join(SOURCE, "examples"))
os.environ.setdefault("KELTO_CLI", os.path.join(BUILD, "bin", "kelto3d"))
# Never the user's settings store.
_store = tempfile.TemporaryDirectory(prefix="kelto3d-pytest-")
os.environ["XDG_CONFIG_HOME"] = _store.name
sys.path.insert(0, os.path.join(SOURCE, "python"))
# Examples and commands run as subprocesses find the package too.
os.environ["PYTHONPATH"] = os.pathsep.join(
    [os.path.join(SOURCE, "python")] + [p for p in [os.environ.get("PYTHONPATH")] if p])
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

EXAMPLES = os.environ["KELTO_EXAMPLES"]


@pytest.fixture
def kelto3d():
    import kelto3d as package
    return package


@pytest.fixture
def example():
    """The path of a bundled piping file by name ("pump-station")."""
    return lambda name: os.path.join(EXAMPLES, name + ".json")


@pytest.fixture
def unload_now():
    """DllCanUnloadNow of the component module: 0 (S_OK) once none of its objects lives."""
    import gc
    import kelto3d as package

    def ask():
        gc.collect()
        return package._library.load().module("libkelto3d").DllCanUnloadNow()
    return ask
