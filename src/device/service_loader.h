// Opens the device service library and adapts its twelve C entry points to DeviceService.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "device/device_service.h"

namespace qf::device {

// The library's file name in the install folder.
inline constexpr const char* kDeviceServiceFileName = "libHidServ.so";
// Names another library to use instead (the virtual keyboard, for example).
inline constexpr const char* kDeviceServiceEnvironmentVariable = "QUILLFEN_HIDSERV";

// Loads the library named by QUILLFEN_HIDSERV when it is set and not empty, otherwise
// installFolder/libHidServ.so. See LoadDeviceServiceFrom.
std::unique_ptr<DeviceService> LoadDeviceService(const std::filesystem::path& installFolder,
                                                 std::string& error);

// Opens `library`, resolves all twelve entry points and calls Init(0). Returns null with a
// message in `error` when the library does not open, lacks an entry point, or Init gives 0 or
// less.
//
// The C notification handler carries no context, so the adapter hands the library one C
// function and keeps the sink it forwards to in a single process-wide slot: there is one device
// service per process, as there is one loaded library. The sink last given to RequestAsyncRead
// or RequestStatusWrite receives every notification; while no sink is set (or after the adapter
// is destroyed) notifications are answered with 1 and dropped. The library stays loaded for the
// rest of the process once opened: its own threads may still be running when the adapter goes,
// and unloading their code under them would crash.
std::unique_ptr<DeviceService> LoadDeviceServiceFrom(const std::filesystem::path& library,
                                                     std::string& error);

}  // namespace qf::device
