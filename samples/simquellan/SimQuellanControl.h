/*
 * SimQuellanControl.h - the test entry points of SimQuellan, beside the
 * interface functions.
 */
#ifndef SIMQUELLAN_CONTROL_H
#define SIMQUELLAN_CONTROL_H

#include "quellan2.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Applies one sidecar line (a plant line or a test control) at once;
 * "reset" forgets every line given here. 0, or 2 for a line that cannot be applied. */
QUELLAN2_API uint32_t QUELLAN2_CALL simquellan_control(const char* line);

/* The exit code of a process that a `fault FUNCTION exit` control ends.
 * Neither 0, 1 (a failure, or a sanitizer's report) nor 3 (abort() on
 * Windows), and below 128 (a signal's end), so that it names this control. */
#define SIMQUELLAN_EXIT_CODE 70

/* The calling thread's number as the journal writes it. */
QUELLAN2_API uint32_t QUELLAN2_CALL simquellan_threadId(void);

typedef uint32_t(QUELLAN2_CALL* SIMQUELLAN_PFN_control)(const char*);
typedef uint32_t(QUELLAN2_CALL* SIMQUELLAN_PFN_threadId)(void);

#ifdef __cplusplus
}
#endif

#endif /* SIMQUELLAN_CONTROL_H */
