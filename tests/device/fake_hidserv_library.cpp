// A stand-in device service library for the loader's tests. It exports the twelve entry points
// (or, built with FAKE_HIDSERV_OMIT_END, all but "End"), records what it is called with, and
// exports two extra functions through which the test reads the record and makes the library
// call the handler it was given.
#include <cstdint>
#include <cstring>

#include "device/hidserv_abi.h"

#ifndef FAKE_HIDSERV_INIT_RESULT
#define FAKE_HIDSERV_INIT_RESULT 1
#endif

#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))

struct FakeHidServRecord {
    int initCalls;
    int initFlags;
    int countCalls;
    QfRequestKey lastKey;
    const void* lastHandler;
    uint32_t lastTag;
    uint32_t lastUnitId;
    const void* lastRequestId;
    uint8_t lastData[64];
    uint32_t lastLength;
    uint32_t deletedId;
    int deleteCalls;
};

namespace {
FakeHidServRecord g_record;
QfNotifyHandler g_handler = nullptr;

void Note(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag, uint32_t unitId,
          const void* requestId) {
    g_record.lastKey = *key;
    g_record.lastHandler = reinterpret_cast<const void*>(handler);
    g_record.lastTag = tag;
    g_record.lastUnitId = unitId;
    g_record.lastRequestId = requestId;
}

void NoteData(const uint8_t* data, uint32_t length) {
    g_record.lastLength = length;
    std::memcpy(g_record.lastData, data, length < 64 ? length : 64);
}
}  // namespace

FAKE_EXPORT int Init(int flags) {
    ++g_record.initCalls;
    g_record.initFlags = flags;
    return FAKE_HIDSERV_INIT_RESULT;
}
FAKE_EXPORT int Debug(int) {
    return 1;
}
#ifndef FAKE_HIDSERV_OMIT_END
FAKE_EXPORT int End(void) {
    return 1;
}
#endif
FAKE_EXPORT int RequestGetDeviceCount(const QfRequestKey* key, QfNotifyHandler handler,
                                      uint32_t tag, uint32_t unitId, uint32_t* requestId) {
    ++g_record.countCalls;
    Note(key, handler, tag, unitId, requestId);
    return 2;
}
FAKE_EXPORT int RequestWriteOne(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                const uint8_t* data, uint32_t length, uint32_t unitId,
                                uint32_t* requestId) {
    Note(key, handler, tag, unitId, requestId);
    NoteData(data, length);
    return 64;
}
FAKE_EXPORT int RequestWrite(const QfRequestKey*, QfNotifyHandler, uint32_t, const uint8_t*,
                             uint32_t, uint32_t, uint32_t*) {
    return 0;
}
FAKE_EXPORT int RequestAsyncRead(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                 uint32_t unitId, uint32_t* requestId) {
    Note(key, handler, tag, unitId, requestId);
    g_handler = handler;
    if (requestId != nullptr) {
        *requestId = 77;
    }
    return 1;
}
FAKE_EXPORT int RequestStatusWrite(const QfRequestKey* key, QfNotifyHandler handler, uint32_t tag,
                                   const uint8_t* data, uint32_t length, uint32_t unitId,
                                   uint32_t* requestId) {
    Note(key, handler, tag, unitId, requestId);
    NoteData(data, length);
    if (requestId != nullptr) {
        *requestId = 78;
    }
    return 1;
}
FAKE_EXPORT int RequestStatusGet(const QfRequestKey*, QfNotifyHandler, uint32_t, uint8_t*, uint32_t,
                                 uint32_t, uint32_t*) {
    return 0;
}
FAKE_EXPORT int RequestStatusSetFeature(const QfRequestKey*, QfNotifyHandler, uint32_t,
                                        const uint8_t*, uint32_t, uint32_t, uint32_t*) {
    return 0;
}
FAKE_EXPORT int DeleteRequestFromUnitId(uint32_t requestId) {
    ++g_record.deleteCalls;
    g_record.deletedId = requestId;
    return 1;
}
FAKE_EXPORT int DeleteRequestFromHandle(void*) {
    return 0;
}

// --- test access -------------------------------------------------------------------------
FAKE_EXPORT const FakeHidServRecord* FakeHidServ_Record(void) {
    return &g_record;
}

// Calls the handler of the last read request with one notification; returns its result, or
// -1 when no handler was given.
FAKE_EXPORT int FakeHidServ_Notify(uint32_t kind, uint32_t tag, const uint8_t* bytes,
                                   uint32_t count) {
    if (g_handler == nullptr) {
        return -1;
    }
    QfBufferRecord buffer{};
    buffer.bytes = bytes;
    QfRequestBlock block{tag, count, bytes, 77, &buffer};
    QfDeviceNotification notification{kind, 0, &block};
    return g_handler(&notification);
}
