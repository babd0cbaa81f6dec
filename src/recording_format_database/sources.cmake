# The recording format table, compiled in from its data file (written by
# generate_recording_formats.py).
velor_embed_text(velor_recording_format_database
  INPUT "${CMAKE_CURRENT_SOURCE_DIR}/recording_format_database/recording_formats.csv"
  OUTPUT "${CMAKE_CURRENT_BINARY_DIR}/RecordingFormatsCsvText.cpp"
  NAMESPACE RecordingFormatDatabase
  NAME recordingFormatsCsvText)
