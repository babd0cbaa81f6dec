# The release comes from the project's version, in one place.
target_compile_definitions(velor_foundation PRIVATE VELOR_VERSION="${PROJECT_VERSION}")
