#include "foundation/Version.h"

namespace Version {

const char* text() {
    return VELOR_VERSION;
}

} // namespace Version
