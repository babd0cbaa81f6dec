# Run by cmake --install after the Python module is installed: tells whether
# the interpreter the module was built for imports it from there as it is,
# or which PYTHONPATH it needs.
set(velor_module_dir "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/${VELOR_PYTHON_INSTALL_DIR}")
execute_process(
  COMMAND "${VELOR_PYTHON_EXECUTABLE}" -c
          "import os, sys; d = os.path.realpath(sys.argv[1]); sys.exit(0 if any(p and os.path.realpath(p) == d for p in sys.path) else 1)"
          "${velor_module_dir}"
  RESULT_VARIABLE velor_not_on_path)
if(velor_not_on_path EQUAL 0)
  message(STATUS "Python module velor_lens_correction: ${velor_module_dir} is on "
                 "${VELOR_PYTHON_EXECUTABLE}'s path")
else()
  message(STATUS "Python module velor_lens_correction: to import it with "
                 "${VELOR_PYTHON_EXECUTABLE}, set PYTHONPATH=${velor_module_dir}")
endif()
