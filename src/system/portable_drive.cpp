// The portable test: is the destination on removable media?
#include "system/data_folders.h"

#include "base/paths.h"
#include "base/scoped_win.h"
#include "base/utf8_text.h"
#include "base/wide_paths.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace {
// STORAGE_PROPERTY_QUERY for StorageDeviceProperty (0), PropertyStandardQuery (0).
struct TStoragePropertyQuery {
    uint32_t PropertyId;
    uint32_t QueryType;
    uint8_t AdditionalParameters[1];
};
static_assert(sizeof(TStoragePropertyQuery) == 12, "the query is 12 bytes");

constexpr DWORD kQueryStorageProperty = 0x002D1400; // IOCTL_STORAGE_QUERY_PROPERTY
constexpr size_t kDescriptorBytes = 548;

bool FixedDriveIsPortable(const std::string& drive) {
    // No access asked: the storage properties need none, and reading the
    // volume is refused to anyone but an administrator.
    const TFileHandle volume =
        CreatePathFile("\\\\.\\" + drive, 0, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING, 0);
    if (!volume) return false;
    TStoragePropertyQuery query{};
    unsigned char descriptor[kDescriptorBytes] = {};
    DWORD returned = 0;
    const bool asked = DeviceIoControl(volume.Get(), kQueryStorageProperty, &query, sizeof query,
                                       descriptor, sizeof descriptor, &returned, nullptr) != FALSE;
    return asked && StorageDescriptorIsPortable(descriptor, sizeof descriptor);
}
} // namespace

bool StorageDescriptorIsPortable(const unsigned char* descriptor, size_t size) {
    if (size < 32) return false;
    uint32_t busType;
    std::memcpy(&busType, descriptor + 28, 4);
    return busType == 4 /* BusType1394 */ || busType == 7 /* BusTypeUsb */ || descriptor[10] != 0;
}

bool IsPortable(const std::string& destDir) {
    const std::string drive = DrivePart(destDir);
    switch (GetDriveTypeW(WideText(drive + "\\").c_str())) {
    case DRIVE_REMOVABLE:
        return true;
    case DRIVE_FIXED:
        return drive.size() == 2 && FixedDriveIsPortable(drive);
    default:
        return false;
    }
}
