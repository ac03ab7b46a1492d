/*
 * quellan2.h - the Quellan version 2 plug-in interface.
 *
 * A Quellan plug-in is a shared library that exports the functions below with
 * undecorated C names. A host loads it, resolves the names it needs and calls
 * them; every function returns a QUELLAN2_STATUS. Strings and value vectors
 * cross the interface only as handles to objects that the plug-in allocates
 * and the caller frees with quellan2_stringFree and quellan2_vectorFree.
 *
 * A plug-in author defines QUELLAN2_PLUGIN_EXPORTS before including this
 * header in the translation units that define the functions, so that they
 * are exported. A host includes it as it is and uses the pointer types
 * (QUELLAN2_PFN_...) with the platform's symbol lookup.
 *
 * Who owns what. Every QUELLAN2_STRING and QUELLAN2_VECTOR that a function
 * hands out through an out pointer belongs to the caller from then on, also
 * a vector filled in a slot, and goes back to the plug-in that made it with
 * quellan2_stringFree or quellan2_vectorFree, exactly once. A string
 * delivered by quellan2_vectorGetString is a new string of its own. Handles
 * of connections, nodes and tags stay the plug-in's: a node or tag handle is
 * valid until its connection closes; the caller never frees them. Texts
 * passed in (const char*) are only read during the call.
 *
 * Threads. A host, and MultiQuellan for each child, calls quellan2_initialize,
 * quellan2_getIdentity, quellan2_connectionOpen, every connection, node and
 * tag function, quellan2_connectionClose and quellan2_uninitialize from one
 * worker thread, one call at a time. The string and vector functions are
 * called from other threads, also while a worker call runs: they must not
 * depend on the calling thread and must be safe alongside the worker's calls.
 *
 * Arguments. A null handle, out pointer or text is refused with a failing
 * status (QUELLAN2_STATUS_INVALID_PARAMETER), never a fault. A call that
 * returns QUELLAN2_STATUS_OK has written every out value. No exception and
 * no processor fault may leave a function: hosts catch them, but treat the
 * call as failed.
 *
 * `quellan check --plugin PATH` drives a plug-in through these rules.
 */
#ifndef QUELLAN2_H
#define QUELLAN2_H

#include <stdint.h>

#if defined(_WIN32)
#define QUELLAN2_CALL __cdecl
#if defined(QUELLAN2_PLUGIN_EXPORTS)
#define QUELLAN2_API __declspec(dllexport)
#else
#define QUELLAN2_API
#endif
#else
#define QUELLAN2_CALL
#if defined(QUELLAN2_PLUGIN_EXPORTS)
#define QUELLAN2_API __attribute__((visibility("default")))
#else
#define QUELLAN2_API
#endif
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes: the result of every quellan2_ function. */
typedef uint32_t QUELLAN2_STATUS;
#define QUELLAN2_STATUS_OK 0u
#define QUELLAN2_STATUS_ERROR 1u
#define QUELLAN2_STATUS_INVALID_PARAMETER 2u
#define QUELLAN2_STATUS_NOT_SUPPORTED 3u
#define QUELLAN2_STATUS_INSUFFICIENT_BUFFER 4u

/* Element types of a value vector. */
#define QUELLAN2_TYPE_NULL 0u
#define QUELLAN2_TYPE_STRING 1u
#define QUELLAN2_TYPE_FLOAT 2u

/* Pointer-sized opaque handles. Nodes and tags may carry plain integers. */
typedef struct QUELLAN2_CONNECTION_OBJECT* QUELLAN2_CONNECTION;
typedef struct QUELLAN2_NODE_OBJECT* QUELLAN2_NODE;
typedef struct QUELLAN2_TAG_OBJECT* QUELLAN2_TAG;
typedef struct QUELLAN2_STRING_OBJECT* QUELLAN2_STRING;
typedef struct QUELLAN2_VECTOR_OBJECT* QUELLAN2_VECTOR;

/* Life cycle and identity */
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_initialize(void);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_uninitialize(void);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_getIdentity(QUELLAN2_STRING* identity);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_updateConfiguration(const char* configuration,
                                                                        QUELLAN2_STRING* newConfiguration);

/* Connection */
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionOpen(const char* connectionText,
                                                                   QUELLAN2_CONNECTION* connection);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionClose(QUELLAN2_CONNECTION connection);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionGetNumNodes(QUELLAN2_CONNECTION connection,
                                                                          uint32_t* count);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionGetNode(QUELLAN2_CONNECTION connection, uint32_t index,
                                                                      QUELLAN2_NODE* node);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionGetCurrentTime(QUELLAN2_CONNECTION connection,
                                                                             uint32_t* time);

/* Data. Each read stores the caller's new vector in *result. The historical
 * Ex form fills sampleCount vectors, sample k being the values at
 * startTime + k * interval, which the short form gives one time at a time;
 * a non-null vector already in a slot is filled in place. */
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadCurrentData(QUELLAN2_CONNECTION connection,
                                                                              const QUELLAN2_TAG* tags,
                                                                              uint32_t tagCount,
                                                                              QUELLAN2_VECTOR* result);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadHistoricalData(QUELLAN2_CONNECTION connection,
                                                                                 const QUELLAN2_TAG* tags,
                                                                                 uint32_t tagCount, int32_t time,
                                                                                 QUELLAN2_VECTOR* result);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadHistoricalDataEx(
    QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags, uint32_t tagCount, int32_t startTime, int32_t interval,
    uint32_t sampleCount, QUELLAN2_VECTOR* results);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadBatchData(QUELLAN2_CONNECTION connection,
                                                                            const QUELLAN2_TAG* tags,
                                                                            uint32_t tagCount, const char* batch,
                                                                            QUELLAN2_VECTOR* result);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionReadBatchDataEx(QUELLAN2_CONNECTION connection,
                                                                              const QUELLAN2_TAG* tags,
                                                                              uint32_t tagCount, const char* batch,
                                                                              int32_t batchTime,
                                                                              QUELLAN2_VECTOR* result);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteHistoricalData(QUELLAN2_CONNECTION connection,
                                                                                  const QUELLAN2_TAG* tags,
                                                                                  uint32_t tagCount, int32_t time,
                                                                                  QUELLAN2_VECTOR values);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteHistoricalDataEx(
    QUELLAN2_CONNECTION connection, const QUELLAN2_TAG* tags, uint32_t tagCount, int32_t startTime, int32_t interval,
    uint32_t sampleCount, const QUELLAN2_VECTOR* values);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteBatchData(QUELLAN2_CONNECTION connection,
                                                                             const QUELLAN2_TAG* tags,
                                                                             uint32_t tagCount, const char* batch,
                                                                             QUELLAN2_VECTOR values);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_connectionWriteBatchDataEx(QUELLAN2_CONNECTION connection,
                                                                               const QUELLAN2_TAG* tags,
                                                                               uint32_t tagCount, const char* batch,
                                                                               int32_t batchTime,
                                                                               QUELLAN2_VECTOR values);

/* Nodes */
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetName(QUELLAN2_NODE node, QUELLAN2_STRING* name);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetNumTags(QUELLAN2_NODE node, uint32_t* count);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetTag(QUELLAN2_NODE node, uint32_t index, QUELLAN2_TAG* tag);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetActiveBatches(QUELLAN2_NODE node, int32_t fromTime,
                                                                         int32_t toTime, QUELLAN2_VECTOR* result);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetBatchTimes(QUELLAN2_NODE node, const char* batch,
                                                                      int32_t batchTime, uint32_t* startTime,
                                                                      uint32_t* endTime);

/* Tags */
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_tagGetName(QUELLAN2_TAG tag, QUELLAN2_STRING* name);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_tagGetUpdateTime(QUELLAN2_TAG tag, uint32_t* time);

/* Value vectors. A vector holds `length` elements, each null, a string or a
 * float (QUELLAN2_TYPE_...); a read delivers one element per tag, in the
 * order of the tags. An index at or past the length is refused. */
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorCreate(uint32_t length, QUELLAN2_VECTOR* vector);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorFree(QUELLAN2_VECTOR vector);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetLength(QUELLAN2_VECTOR vector, uint32_t* length);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetType(QUELLAN2_VECTOR vector, uint32_t index,
                                                                  uint32_t* type);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorSetNull(QUELLAN2_VECTOR vector, uint32_t index);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetString(QUELLAN2_VECTOR vector, uint32_t index,
                                                                    QUELLAN2_STRING* value);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorSetString(QUELLAN2_VECTOR vector, uint32_t index,
                                                                    const char* value);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorGetFloat(QUELLAN2_VECTOR vector, uint32_t index,
                                                                   float* value);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_vectorSetFloat(QUELLAN2_VECTOR vector, uint32_t index,
                                                                   float value);

/* Strings. quellan2_stringCopy is called twice: first with a null buffer and
 * *length 0, to which it answers QUELLAN2_STATUS_INSUFFICIENT_BUFFER with the
 * text's length in bytes in *length (QUELLAN2_STATUS_OK and 0 for an empty
 * text); then with a buffer of *length bytes, into which it copies the text
 * and answers QUELLAN2_STATUS_OK. It writes no terminating zero: the length
 * says where the text ends. A buffer too short is refused with
 * QUELLAN2_STATUS_INSUFFICIENT_BUFFER and the needed length. The string
 * stays valid until quellan2_stringFree, whatever happens to its connection. */
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_stringCreate(const char* text, QUELLAN2_STRING* string);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_stringFree(QUELLAN2_STRING string);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_stringCopy(QUELLAN2_STRING string, char* buffer,
                                                               uint32_t* length);

/* Entry point for the system's command-line runner of library entry points
 * (rundll32 on Windows, quellan-rundll elsewhere). */
QUELLAN2_API void QUELLAN2_CALL UpdateConfiguration(void* window, void* instance, char* commandLine, int show);

/* Sub-node browsing, optional in a plug-in. A plug-in that multiplexes others
 * presents a two-level tree and does not define them. */
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetNumNodes(QUELLAN2_NODE node, uint32_t* count);
QUELLAN2_API QUELLAN2_STATUS QUELLAN2_CALL quellan2_nodeGetNode(QUELLAN2_NODE node, uint32_t index,
                                                                QUELLAN2_NODE* subNode);

/* Function-pointer types, one per function. */
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_initialize)(void);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_uninitialize)(void);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_getIdentity)(QUELLAN2_STRING*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_updateConfiguration)(const char*, QUELLAN2_STRING*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionOpen)(const char*, QUELLAN2_CONNECTION*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionClose)(QUELLAN2_CONNECTION);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionGetNumNodes)(QUELLAN2_CONNECTION, uint32_t*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionGetNode)(QUELLAN2_CONNECTION, uint32_t, QUELLAN2_NODE*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionGetCurrentTime)(QUELLAN2_CONNECTION, uint32_t*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionReadCurrentData)(QUELLAN2_CONNECTION,
                                                                             const QUELLAN2_TAG*, uint32_t,
                                                                             QUELLAN2_VECTOR*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionReadHistoricalData)(QUELLAN2_CONNECTION,
                                                                                const QUELLAN2_TAG*, uint32_t,
                                                                                int32_t, QUELLAN2_VECTOR*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionReadHistoricalDataEx)(QUELLAN2_CONNECTION,
                                                                                  const QUELLAN2_TAG*, uint32_t,
                                                                                  int32_t, int32_t, uint32_t,
                                                                                  QUELLAN2_VECTOR*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionReadBatchData)(QUELLAN2_CONNECTION, const QUELLAN2_TAG*,
                                                                           uint32_t, const char*, QUELLAN2_VECTOR*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionReadBatchDataEx)(QUELLAN2_CONNECTION,
                                                                             const QUELLAN2_TAG*, uint32_t,
                                                                             const char*, int32_t, QUELLAN2_VECTOR*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionWriteHistoricalData)(QUELLAN2_CONNECTION,
                                                                                 const QUELLAN2_TAG*, uint32_t,
                                                                                 int32_t, QUELLAN2_VECTOR);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionWriteHistoricalDataEx)(QUELLAN2_CONNECTION,
                                                                                   const QUELLAN2_TAG*, uint32_t,
                                                                                   int32_t, int32_t, uint32_t,
                                                                                   const QUELLAN2_VECTOR*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionWriteBatchData)(QUELLAN2_CONNECTION,
                                                                            const QUELLAN2_TAG*, uint32_t,
                                                                            const char*, QUELLAN2_VECTOR);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_connectionWriteBatchDataEx)(QUELLAN2_CONNECTION,
                                                                              const QUELLAN2_TAG*, uint32_t,
                                                                              const char*, int32_t, QUELLAN2_VECTOR);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_nodeGetName)(QUELLAN2_NODE, QUELLAN2_STRING*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_nodeGetNumNodes)(QUELLAN2_NODE, uint32_t*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_nodeGetNode)(QUELLAN2_NODE, uint32_t, QUELLAN2_NODE*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_nodeGetNumTags)(QUELLAN2_NODE, uint32_t*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_nodeGetTag)(QUELLAN2_NODE, uint32_t, QUELLAN2_TAG*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_nodeGetActiveBatches)(QUELLAN2_NODE, int32_t, int32_t,
                                                                        QUELLAN2_VECTOR*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_nodeGetBatchTimes)(QUELLAN2_NODE, const char*, int32_t,
                                                                     uint32_t*, uint32_t*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_tagGetName)(QUELLAN2_TAG, QUELLAN2_STRING*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_tagGetUpdateTime)(QUELLAN2_TAG, uint32_t*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_vectorCreate)(uint32_t, QUELLAN2_VECTOR*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_vectorFree)(QUELLAN2_VECTOR);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_vectorGetLength)(QUELLAN2_VECTOR, uint32_t*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_vectorGetType)(QUELLAN2_VECTOR, uint32_t, uint32_t*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_vectorSetNull)(QUELLAN2_VECTOR, uint32_t);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_vectorGetString)(QUELLAN2_VECTOR, uint32_t, QUELLAN2_STRING*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_vectorSetString)(QUELLAN2_VECTOR, uint32_t, const char*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_vectorGetFloat)(QUELLAN2_VECTOR, uint32_t, float*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_vectorSetFloat)(QUELLAN2_VECTOR, uint32_t, float);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_stringCreate)(const char*, QUELLAN2_STRING*);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_stringFree)(QUELLAN2_STRING);
typedef QUELLAN2_STATUS(QUELLAN2_CALL* QUELLAN2_PFN_stringCopy)(QUELLAN2_STRING, char*, uint32_t*);
typedef void(QUELLAN2_CALL* QUELLAN2_PFN_UpdateConfiguration)(void*, void*, char*, int);

#ifdef __cplusplus
}
#endif

#endif /* QUELLAN2_H */
