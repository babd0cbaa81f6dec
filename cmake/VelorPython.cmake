# The Python module's dependencies: the interpreter with its headers and NumPy,
# and pybind11 (Debian: python3-dev, python3-numpy, pybind11-dev).
# VELOR_BUILD_PYTHON defaults on when they are found. Not with the sanitizers:
# an instrumented module cannot be loaded into the plain interpreter.
include_guard(GLOBAL)

# The system interpreter, which Debian's NumPy and pybind11 packages serve,
# before any other that comes first on PATH (pyenv, a virtual environment).
if(NOT Python3_EXECUTABLE AND EXISTS /usr/bin/python3)
  set(Python3_EXECUTABLE /usr/bin/python3 CACHE FILEPATH "The Python interpreter")
endif()

set(velor_python_default OFF)
if(velor_is_top_level AND NOT VELOR_SANITIZE)
  find_package(Python3 COMPONENTS Interpreter Development.Module NumPy QUIET)
  find_package(pybind11 2.6 CONFIG QUIET)
  if(Python3_Development.Module_FOUND AND Python3_NumPy_FOUND AND pybind11_FOUND)
    set(velor_python_default ON)
  endif()
endif()
option(VELOR_BUILD_PYTHON "Build the Python module velor_lens_correction" ${velor_python_default})

if(VELOR_BUILD_PYTHON)
  find_package(Python3 REQUIRED COMPONENTS Interpreter Development.Module NumPy)
  find_package(pybind11 2.6 CONFIG REQUIRED)
endif()
