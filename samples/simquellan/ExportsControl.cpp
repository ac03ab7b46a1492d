// The two functions through which tests steer a loaded SimQuellan.
#include "quellan2.h"
#include "samples/simquellan/Journal.h"
#include "samples/simquellan/SimQuellanControl.h"
#include "samples/simquellan/Simulator.h"

uint32_t QUELLAN2_CALL simquellan_control(const char* line) {
    if (!line) return QUELLAN2_STATUS_INVALID_PARAMETER;
    try {
        return simquellan::Simulator::instance().control(line);
    } catch (...) {
        return QUELLAN2_STATUS_ERROR;
    }
}

uint32_t QUELLAN2_CALL simquellan_threadId(void) {
    return simquellan::threadNumber();
}
