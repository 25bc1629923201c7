/* The entry points of the ZK583 card library.
 *
 * Every scalar is a signed 32-bit integer passed by value; "handle" is the
 * value returned by ZK583_OpenDevice (-1 when no card was opened).  The
 * console binds these by name at run time and never links against them; the
 * simulated card defines them.
 *
 * ZK583_ENTRY_POINTS is the one table of entry points: each row gives the
 * result type, the name after the ZK583_ prefix, and the parameter list.
 */
#pragma once

#include <stdint.h>

/* ZK583_CALL is the entry points' calling convention, decided here alone:
 * 32-bit card libraries for Windows use stdcall (WINAPI); every other target
 * has one convention only. */
#if defined(_WIN32)
#ifndef ZK583_API /* a library exporting by a list of its own defines it empty */
#define ZK583_API __declspec(dllexport)
#endif
#if defined(_WIN64)
#define ZK583_CALL
#else
#define ZK583_CALL __stdcall
#endif
#else
#define ZK583_API __attribute__((visibility("default")))
#define ZK583_CALL
#endif

#define ZK583_ENTRY_POINTS(X)                                                         \
    X(int32_t, OpenDevice, (int32_t cardIndex))                                      \
    X(int32_t, CloseDevice, (int32_t handle))                                        \
    X(int32_t, CAL, (int32_t handle))                                                \
    X(int32_t, AD, (int32_t handle, int32_t channel, int32_t rangeCode,              \
                    int32_t extra1, int32_t extra2))                                 \
    X(double, ADV, (int32_t rangeCode, int32_t raw))                                 \
    X(int32_t, TAD, (int32_t handle, int32_t firstChannel, int32_t lastChannel,      \
                     int32_t scanSetting, int32_t extra1, int32_t extra2))           \
    X(int32_t, TAD_Poll, (int32_t handle))                                           \
    X(int32_t, TAD_Read, (int32_t handle, int32_t *destination, int32_t count))      \
    X(int32_t, TAD_Stop, (int32_t handle))                                           \
    X(int32_t, DO, (int32_t handle, int32_t word))                                   \
    X(int32_t, DI, (int32_t handle))                                                 \
    X(int32_t, DA_INI, (int32_t handle))                                             \
    X(int32_t, DA, (int32_t handle, int32_t output, int32_t rangeCode, int32_t code)) \
    X(int32_t, PRun, (int32_t handle, int32_t channel, int32_t type,                 \
                      int32_t firstValue, int32_t secondValue))                      \
    X(int32_t, PEnd, (int32_t handle, int32_t channel))                              \
    X(int32_t, PState, (int32_t handle, int32_t channel))                            \
    X(int32_t, PSetData, (int32_t handle, int32_t channel, int32_t firstValue,       \
                          int32_t secondValue))                                      \
    X(int32_t, CNT_Run, (int32_t handle, int32_t counter, int32_t initialValue))     \
    X(int32_t, CNT_Read, (int32_t handle, int32_t counter, int32_t *count,           \
                          int32_t *timeValue))                                       \
    X(int32_t, EEPROM_Write, (int32_t handle, const uint8_t *block))                 \
    X(int32_t, EEPROM_Read, (int32_t handle, uint8_t *block))

#ifdef __cplusplus
extern "C" {
#endif

/* Declarations, for the library that defines them, and a pointer type per
 * entry point (ZK583_TAD_Poll_fn, ...), for the binding that resolves them. */
#define ZK583_DECLARE(ret, name, params)        \
    ZK583_API ret ZK583_CALL ZK583_##name params; \
    typedef ret(ZK583_CALL *ZK583_##name##_fn) params;
ZK583_ENTRY_POINTS(ZK583_DECLARE)
#undef ZK583_DECLARE

#ifdef __cplusplus
}
#endif
