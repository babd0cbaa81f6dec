#pragma once

namespace Version {

// The release of this build, as "major.minor.patch".
const char* text();

} // namespace Version
