/* A device service that loads and initialises but never finds a keyboard: the device count is
 * always 0 and every request is refused. */
#include <stdint.h>

#include "device/hidserv_abi.h"

#define EXPORT __attribute__((visibility("default")))

EXPORT int Init(int flags) {
    (void)flags;
    return 1;
}
EXPORT int Debug(int level) {
    (void)level;
    return 1;
}
EXPORT int End(void) {
    return 1;
}
EXPORT int RequestGetDeviceCount(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                 uint32_t unit_id, uint32_t* request_id) {
    (void)key, (void)handler, (void)tag, (void)unit_id, (void)request_id;
    return 0;
}
EXPORT int RequestWriteOne(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                           const uint8_t* data, uint32_t length, uint32_t unit_id,
                           uint32_t* request_id) {
    (void)key, (void)handler, (void)tag, (void)data, (void)length, (void)unit_id, (void)request_id;
    return 0;
}
EXPORT int RequestWrite(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                        const uint8_t* data, uint32_t length, uint32_t unit_id,
                        uint32_t* request_id) {
    return RequestWriteOne(key, handler, tag, data, length, unit_id, request_id);
}
EXPORT int RequestAsyncRead(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                            uint32_t unit_id, uint32_t* request_id) {
    (void)key, (void)handler, (void)tag, (void)unit_id;
    if (request_id != 0) {
        *request_id = 1;
    }
    return 1;
}
EXPORT int RequestStatusWrite(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                              const uint8_t* data, uint32_t length, uint32_t unit_id,
                              uint32_t* request_id) {
    (void)key, (void)handler, (void)tag, (void)data, (void)length, (void)unit_id, (void)request_id;
    return 0;
}
EXPORT int RequestStatusGet(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                            uint8_t* data, uint32_t length, uint32_t unit_id,
                            uint32_t* request_id) {
    (void)key, (void)handler, (void)tag, (void)data, (void)length, (void)unit_id, (void)request_id;
    return 0;
}
EXPORT int RequestStatusSetFeature(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                   const uint8_t* data, uint32_t length, uint32_t unit_id,
                                   uint32_t* request_id) {
    (void)key, (void)handler, (void)tag, (void)data, (void)length, (void)unit_id, (void)request_id;
    return 0;
}
EXPORT int DeleteRequestFromUnitId(uint32_t request_id) {
    (void)request_id;
    return 1;
}
EXPORT int DeleteRequestFromHandle(void* handle) {
    (void)handle;
    return 0;
}
