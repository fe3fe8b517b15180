// The observation header record's own rules (see ObsHeader.h).
#include "rinex/ObsHeader.h"

#include <cmath>

namespace kelvrant {

double AntennaHeight(const ObsHeaderRecord& record) {
    double h = record.antennaDeltaVertical;
    if (record.antennaRadius < record.antennaSlant)
        h += std::sqrt(record.antennaSlant * record.antennaSlant -
                       record.antennaRadius * record.antennaRadius);
    return h;
}

void SetObservationTypes(ObsHeaderRecord& record, int dataType, bool noDoppler) {
    //                                          L1 L2 C1 P1 P2 D1 D2
    static constexpr std::int16_t kTable[7][7] = {{1, 1, 1, 1, 1, 1, 1},   // any other
                                                  {1, 0, 1, 0, 0, 1, 0},   // 1 L1
                                                  {1, 1, 1, 0, 0, 1, 1},   // 2 L2C
                                                  {1, 1, 1, 1, 1, 1, 1},   // 3 L1CP_L2P
                                                  {0, 0, 1, 0, 0, 1, 0},   // 4 CDPHASE
                                                  {1, 0, 1, 1, 0, 1, 0},   // 5 L1CP
                                                  {1, 1, 1, 0, 1, 1, 1}};  // 6 L1C_L2P
    const int row = dataType >= 1 && dataType <= 6 ? dataType : 0;
    for (int t = kObsL1; t <= kObsD2; ++t)
        record.obsTypes[static_cast<std::size_t>(t)] = kTable[row][t];
    if (noDoppler) {
        record.obsTypes[kObsD1] = 0;
        record.obsTypes[kObsD2] = 0;
    }
}

}  // namespace kelvrant
