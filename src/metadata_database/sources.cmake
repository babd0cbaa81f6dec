# The metadata key table, compiled in from its data file.
velor_embed_text(velor_metadata_database
  INPUT "${CMAKE_CURRENT_SOURCE_DIR}/metadata_database/metadata_keys.csv"
  OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/MetadataKeysCsvText.cpp"
  NAMESPACE MetadataDatabase
  NAME metadataKeysCsvText)
