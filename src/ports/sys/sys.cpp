#include "ports/platform.h"

namespace tamber {

Platform& Sys() {
    static Platform platform;
    return platform;
}

} // namespace tamber
