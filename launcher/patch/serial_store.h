#pragma once

#include <cstdint>

#include "kiln/crypt/signature.h"

// The highest serial of signed update information this player's launchers have taken, per
// public key. It lives in the registry (HKEY_CURRENT_USER\Software\Kiln\UpdateSerial, a
// REG_QWORD named by the key's Base64 text), so it survives restarts, a new Launcher.exe and
// a game folder copied elsewhere, and one game's key never constrains another's.
namespace Launcher::Patch {

// 0 when none has been taken (or the value cannot be read).
uint64_t ReadAcceptedSerial(const Kiln::Signature::PublicKey& key);

// Raises the stored serial to `serial`; a lower one leaves it as it is.
void RecordAcceptedSerial(const Kiln::Signature::PublicKey& key, uint64_t serial);

}  // namespace Launcher::Patch
