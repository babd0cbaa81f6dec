#pragma once

namespace MetadataDatabase {

// What a metadata key is looked up for.
enum class MetadataKind { ClipFileName = 0, Timecode = 1 };

} // namespace MetadataDatabase
