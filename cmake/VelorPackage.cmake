# Installation as the imaging libraries install: the tool in bin/, the core's
# libraries in lib/, the facade's headers under include/velor/ and a CMake
# package, so that another project can write
#   find_package(VelorLensCorrection CONFIG REQUIRED)
#   target_link_libraries(app PRIVATE velor::core)
# and #include <velor/core/Core.h>.
include_guard(GLOBAL)
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(VELOR_PACKAGE_CMAKE_DIR "${CMAKE_INSTALL_LIBDIR}/cmake/VelorLensCorrection")

# What the facade's headers include, and the exception its inspection throws.
set(velor_public_headers
  core/Core.h
  core/CoreDataSource.h
  core/CorrectionInUse.h
  core/DistortionCorrectionParameter.h
  core/DistortionMapping.h
  core/FrameData.h
  core/FrameRequest.h
  core/Queries.h
  core/RequestDataSource.h
  core/ShadingCorrectionParameter.h
  correction_data/Content.h
  correction_data/Frame.h
  correction_data/Header.h
  correction_data/SourceFile.h
  foundation/Exception.h
  recording_format_database/RecordingFormat.h)
foreach(header IN LISTS velor_public_headers)
  get_filename_component(folder "${header}" DIRECTORY)
  install(FILES "${PROJECT_SOURCE_DIR}/src/${header}"
          DESTINATION "${CMAKE_INSTALL_INCLUDEDIR}/velor/${folder}")
endforeach()

install(TARGETS velor_foundation velor_correction_data velor_correction_file
                velor_metadata_database velor_recording_format_database velor_opencl_headers
                velor_renderer velor_core
        EXPORT VelorLensCorrectionTargets
        ARCHIVE DESTINATION "${CMAKE_INSTALL_LIBDIR}")
set_target_properties(velor_opencl_headers PROPERTIES EXPORT_NAME opencl_headers)
install(EXPORT VelorLensCorrectionTargets
        NAMESPACE velor::
        DESTINATION "${VELOR_PACKAGE_CMAKE_DIR}")

configure_package_config_file(
  "${CMAKE_CURRENT_LIST_DIR}/VelorLensCorrectionConfig.cmake.in"
  "${PROJECT_BINARY_DIR}/VelorLensCorrectionConfig.cmake"
  INSTALL_DESTINATION "${VELOR_PACKAGE_CMAKE_DIR}")
write_basic_package_version_file(
  "${PROJECT_BINARY_DIR}/VelorLensCorrectionConfigVersion.cmake"
  COMPATIBILITY SameMinorVersion)
install(FILES "${PROJECT_BINARY_DIR}/VelorLensCorrectionConfig.cmake"
              "${PROJECT_BINARY_DIR}/VelorLensCorrectionConfigVersion.cmake"
        DESTINATION "${VELOR_PACKAGE_CMAKE_DIR}")
