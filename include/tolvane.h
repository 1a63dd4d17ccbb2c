/*
 * Tolvane: native storage-management bridge to the Windows Virtual Disk
 * Service. Declarations of the library's exports for native callers.
 *
 * Requests and replies are the binary protocol of the Java side: a request is
 * a 4-byte header (command code at offset 2) and a payload; a reply is a
 * 12-byte header (command, status, VDS result) and a payload.
 */
#ifndef TOLVANE_H
#define TOLVANE_H

#ifdef __cplusplus
extern "C" {
#endif

#if defined(TOLVANE_BUILDING)
#if defined(_WIN32)
#define TOLVANE_API __declspec(dllexport)
#else
#define TOLVANE_API __attribute__((visibility("default")))
#endif
#elif defined(_WIN32)
#define TOLVANE_API __declspec(dllimport)
#else
#define TOLVANE_API
#endif

#if defined(_WIN32)
#include <guiddef.h>
#elif !defined(GUID_DEFINED)
#define GUID_DEFINED
#include <stdint.h>
/* The identifier of VDS objects, laid out as in memory on Windows. */
typedef struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
} GUID;
#endif

/*
 * Opens the process's one connection to the VDS service: creates and
 * initialises the service, registers the change-notification sink and waits
 * until the service is ready. Returns 0 when connected, 1 when connected
 * after waiting for a service that was still starting, or the failing step's
 * negative COM result code. An open connection is kept as it is (0).
 *
 * COM: the calling thread must not be in a single-threaded apartment
 * (RPC_E_CHANGED_MODE). The library keeps the multithreaded apartment alive
 * on a thread of its own while the connection is open, so commands may come
 * from any thread and the caller's own COM membership is left as it was.
 *
 * If an earlier vdsUninitialize is still giving its connection back (see
 * below), this waits for that first; called from inside that connection's
 * own notification it would wait for itself, and returns
 * RPC_E_CANTCALLOUT_ININPUTSYNCCALL (0x8001010D) instead.
 */
TOLVANE_API int vdsInitialize(void);

/*
 * Closes the connection; does nothing when none is open. May be called on
 * any thread, including from inside onNotify, and never waits for a
 * notification that is in Java: once it returns no onNotify starts, though
 * one already running runs to its end. The sink is unregistered and the
 * service released at once, or, while a notification is still in Java, on a
 * short-lived closing thread that the next vdsInitialize waits for.
 * At process exit nothing is closed or waited for; the library stays loaded
 * once a connection has been opened.
 */
TOLVANE_API void vdsUninitialize(void);

/*
 * Runs one request of `size` bytes. Returns the reply, which the caller must
 * give back with vdsFreeOutput, and stores its length in *outSize. Returns
 * null with *outSize set to 0 for a request shorter than 4 bytes or shorter
 * than what its command reads, and null with *outSize untouched for an
 * unknown command code.
 */
TOLVANE_API unsigned char* vdsCmdHandler(unsigned char* request, int size, int* outSize);

/*
 * A developer's diagnostic: opens the device of drive E: for its geometry and
 * partition, then prints the free space of F:. Needs no connection; prints
 * nothing of what fails.
 */
TOLVANE_API void vdsTest(void);

/* Frees a reply of vdsCmdHandler or a text of getGUID; null is accepted. */
TOLVANE_API void vdsFreeOutput(unsigned char* reply);

/*
 * The 36-character upper-case text form of an identifier, without braces,
 * in a new 37-byte buffer that the caller frees with vdsFreeOutput.
 */
TOLVANE_API char* getGUID(GUID guid);

/* 1 when the two identifiers are equal, 0 otherwise. */
TOLVANE_API int compareGUID(GUID a, GUID b);

/* Prints the printf-style header line, then the bytes in rows of 16. */
TOLVANE_API void printMemory(const void* data, int count, const char* format, ...);

extern TOLVANE_API const GUID g_guidMsHwProviderSample;
extern TOLVANE_API const GUID g_guidMsSwProviderSample;
extern TOLVANE_API const GUID g_guidADN;
extern TOLVANE_API const GUID g_guidTstHwPrvProviderVersion;

#ifdef __cplusplus
}
#endif

#endif /* TOLVANE_H */
