// The release number, given by the build (see Version.h).
#include "version/Version.h"

#ifndef KELVRANT_VERSION
#error "KELVRANT_VERSION must be defined by the build"
#endif

namespace kelvrant {

const char* KelvrantVersion() {
    return KELVRANT_VERSION;
}

}  // namespace kelvrant
