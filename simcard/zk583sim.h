/* Entry points the simulated card adds to the card library's own. */
#pragma once

#include "zk583.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Samples the latest continuous scan lost to FIFO overflow (oldest whole scans
 * are overwritten when the FIFO is full); -1 for a handle that is not open. */
ZK583_API int32_t ZK583_CALL ZK583SIM_LostSamples(int32_t handle);
typedef int32_t(ZK583_CALL *ZK583SIM_LostSamples_fn)(int32_t handle);

#ifdef __cplusplus
}
#endif
