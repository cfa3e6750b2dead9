"""Builds the package tessival for pip with the project's own CMake build.

The extension is the CMake target tessival_python; CMake's install of the
component python (the module, its copy of libtessival.so and the package's
Python files) is staged and copied where setuptools packs the wheel.
"""

import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = pathlib.Path(__file__).parent.resolve()


def project_version():
    text = (SOURCE / "CMakeLists.txt").read_text()
    return re.search(r"project\(\w+ VERSION ([0-9.]+)", text).group(1)


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        stage = pathlib.Path(self.build_temp).resolve() / "stage"
        package = pathlib.Path(self.get_ext_fullpath(ext.name)).resolve().parent
        subprocess.run(["cmake", "-S", str(SOURCE), "-B", str(build), "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release", "-DPEBBLE_BUILD_TESTS=OFF",
                        "-DPEBBLE_BUILD_BENCHMARKS=OFF", "-DPEBBLE_PYTHON_INSTALL_DIR=.",
                        f"-DPython3_EXECUTABLE={sys.executable}"], check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "tessival_python"], check=True)
        shutil.rmtree(stage, ignore_errors=True)
        subprocess.run(["cmake", "--install", str(build), "--component", "python", "--prefix", str(stage)],
                       check=True)
        package.mkdir(parents=True, exist_ok=True)
        for file in (stage / "tessival").iterdir():
            shutil.copy2(file, package / file.name)


setup(
    version=project_version(),
    packages=["tessival"],
    package_dir={"": "python"},
    ext_modules=[Extension("tessival._tessival", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
)
