/*
 * The device service's C interface.
 *
 * The application reaches the keyboard only through a shared library that exports the twelve
 * entry points declared here (the real hidraw service, or the virtual keyboard). The library is
 * opened with dlopen and every name is resolved with dlsym; a library missing any of them is
 * not used.
 *
 * All multi-byte values handed over in byte form (the request key, report data) are
 * little-endian. The structures below are the in-memory records passed by pointer between the
 * service and the application; they are never written to a file or sent to the keyboard.
 */
#ifndef QUILLFEN_DEVICE_HIDSERV_ABI_H
#define QUILLFEN_DEVICE_HIDSERV_ABI_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Request key: selects one interface of the keyboard. 16 bytes when serialised (for the unit
 * id): 32-bit size field (always 15), vendor id, product id, usage page, usage, 32-bit zero. */
typedef struct QfRequestKey {
    uint32_t size_field;
    uint16_t vendor_id;
    uint16_t product_id;
    uint16_t usage_page;
    uint16_t usage;
    uint32_t reserved;
} QfRequestKey;

/* The buffer record a CONS notification's bytes are reached through: its eighth field points
 * at the bytes. The other fields belong to the service. */
typedef struct QfBufferRecord {
    void* service_fields[7];
    const uint8_t* bytes;
} QfBufferRecord;

/* The request a notification belongs to. byte_count is the number of bytes delivered, or the
 * new device count when the notification's kind is QF_NOTIFY_COUNT_CHANGED. For CONS requests
 * the bytes are read through `buffer` (fifth field) rather than `bytes`; the service fills both
 * so either way reaches the same data. */
typedef struct QfRequestBlock {
    uint32_t tag;
    uint32_t byte_count;
    const uint8_t* bytes;
    uint32_t request_id;
    QfBufferRecord* buffer;
} QfRequestBlock;

enum {
    QF_NOTIFY_COUNT_CHANGED = 0, /* the number of keyboards on the CTRL interface changed */
    QF_NOTIFY_INPUT = 1          /* an input report arrived on a standing request */
};

typedef struct QfDeviceNotification {
    uint32_t kind;
    uint32_t ignored;
    QfRequestBlock* request;
} QfDeviceNotification;

/* The notification handler: called on one of the service's own threads; returns 1. */
typedef int (*QfNotifyHandler)(QfDeviceNotification* notification);

/* Entry points. `handler` and `tag` are 0 where a call has no notifications to deliver;
 * `request_id` may be null where the caller keeps no id. */
typedef int (*QfInitFn)(int flags);
typedef int (*QfDebugFn)(int level);
typedef int (*QfEndFn)(void);
typedef int (*QfRequestGetDeviceCountFn)(const QfRequestKey* key, QfNotifyHandler handler,
                                         uint32_t tag, uint32_t unit_id, uint32_t* request_id);
typedef int (*QfRequestWriteOneFn)(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                   const uint8_t* data, uint32_t length, uint32_t unit_id,
                                   uint32_t* request_id);
typedef int (*QfRequestWriteFn)(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                const uint8_t* data, uint32_t length, uint32_t unit_id,
                                uint32_t* request_id);
typedef int (*QfRequestAsyncReadFn)(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                    uint32_t unit_id, uint32_t* request_id);
typedef int (*QfRequestStatusWriteFn)(const QfRequestKey* key, QfNotifyHandler handler,
                                      uint32_t tag, const uint8_t* data, uint32_t length,
                                      uint32_t unit_id, uint32_t* request_id);
typedef int (*QfRequestStatusGetFn)(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                    uint8_t* data, uint32_t length, uint32_t unit_id,
                                    uint32_t* request_id);
typedef int (*QfRequestStatusSetFeatureFn)(const QfRequestKey* key, QfNotifyHandler handler,
                                           uint32_t tag, const uint8_t* data, uint32_t length,
                                           uint32_t unit_id, uint32_t* request_id);
typedef int (*QfDeleteRequestFromUnitIdFn)(uint32_t request_id);
typedef int (*QfDeleteRequestFromHandleFn)(void* handle);

/* The exported names, exactly as the loader resolves them. */
#define QF_HIDSERV_EXPORT_NAMES                                                                  \
    "Init", "Debug", "End", "RequestGetDeviceCount", "RequestWriteOne", "RequestWrite",          \
        "RequestAsyncRead", "RequestStatusWrite", "RequestStatusGet", "RequestStatusSetFeature", \
        "DeleteRequestFromUnitId", "DeleteRequestFromHandle"

#ifdef __cplusplus
}
#endif

#endif /* QUILLFEN_DEVICE_HIDSERV_ABI_H */
