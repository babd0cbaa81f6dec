#pragma once

#include "host_rules/ReadMetadata.h"

#include <string>

// The clip whose correction file is searched for, for a frame read from
// `framePath` (absolute): as the node layer's rules name it, except that where
// they name the file itself (a format they know no sequences of) the frame
// counts as one of an image sequence, named by what precedes the first dot.
// Empty when the metadata names no clip.
std::string clipOfFrame(const ReadMetadata& metadata, const std::string& framePath);
