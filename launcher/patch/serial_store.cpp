#include "launcher/patch/serial_store.h"

#include <windows.h>

#include <string>

namespace Launcher::Patch {
namespace {

constexpr char kStoreKey[] = "Software\\Kiln\\UpdateSerial";

}  // namespace

uint64_t ReadAcceptedSerial(const Kiln::Signature::PublicKey& key)
{
    const std::string name = Kiln::Signature::WriteText(key);
    uint64_t serial = 0;
    DWORD size = sizeof serial;
    if (::RegGetValueA(HKEY_CURRENT_USER, kStoreKey, name.c_str(), RRF_RT_REG_QWORD, nullptr, &serial, &size) !=
        ERROR_SUCCESS)
        return 0;
    return serial;
}

void RecordAcceptedSerial(const Kiln::Signature::PublicKey& key, uint64_t serial)
{
    if (serial <= ReadAcceptedSerial(key))
        return;
    const std::string name = Kiln::Signature::WriteText(key);
    ::RegSetKeyValueA(HKEY_CURRENT_USER, kStoreKey, name.c_str(), REG_QWORD, &serial, sizeof serial);
}

}  // namespace Launcher::Patch
