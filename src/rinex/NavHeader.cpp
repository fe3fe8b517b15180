// The navigation header record (see NavHeader.h).
#include "rinex/NavHeader.h"

namespace kelvrant {

void CopyIonToNavHeader(NavHeaderRecord& header, const IonRecord& ion) {
    if (ion.loaded == 0) {
        header.ionPresent = 0;
        header.utcPresent = 0;
        return;
    }
    header.ionPresent = 1;
    for (int i = 0; i < 4; ++i) {
        header.alpha[i] = ion.Alpha(i);
        header.beta[i] = ion.Beta(i);
    }
    header.utcPresent = 1;
    header.a0 = ion.A0();
    header.a1 = ion.A1();
    header.t = ion.T();
    header.w = ion.W();  // 16-bit fields sign-extended: 0xFFFF is -1
    header.leapSeconds = ion.LeapSeconds();
}

}  // namespace kelvrant
