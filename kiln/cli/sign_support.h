#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>

#include "kiln/cli/command.h"
#include "kiln/crypt/signature.h"
#include "launcher/patch/information_stamp.h"

// The signature check that `verify` and `updateinfo check --public-key` share.
namespace KilnCli {

// Signed files are read whole; update information is far smaller.
constexpr uint64_t kMaxSignedBytes = uint64_t{1} << 30;

enum class SignatureCheck { kGood, kBadKey, kNoFile, kNoSignature, kBadSignatureText, kBadSignature };

// FILE against FILE.sig under the Base64 public key.
SignatureCheck CheckFileSignature(const std::string& publicKeyText, const std::string& path);

// Why the check failed, in words naming the files.
std::string Describe(SignatureCheck check, const std::string& path);

// Text that lists at least one update entry carries a stamp when signed; other files are
// signed as they are.
bool IsUpdateInformation(std::string_view text);

// The serial a new signature takes: the one asked for, else the signing time, but always above
// the serial the file carries already (a clock set back must not make launchers refuse it).
uint64_t NextSerial(std::optional<uint64_t> asked, std::string_view information, int64_t now);

// Update information with its stamp for a signature made at `now`: the serial NextSerial gives
// and an expiry `expiresDays` on, when asked. `previous` is the serial it carried before.
struct StampedInformation {
    std::string text;
    Launcher::Patch::InformationStamp stamp;
    std::optional<uint64_t> previous;
};
StampedInformation StampInformation(std::string_view information, std::optional<uint64_t> asked,
                                    std::optional<int64_t> expiresDays, int64_t now);

// A secret file as `kiln keygen` writes it; nothing (the reason printed for `command`) when
// it cannot be read or is not one.
std::optional<Kiln::Signature::Seed> ReadSecretFile(const std::string& path, Streams& streams, const char* command);

// The text of FILE.sig for these bytes.
std::string SignatureFileText(const Kiln::Signature::Seed& seed, std::string_view bytes);

// The stamp of a verified file as the launcher judges it: "serial: N" and "expires: WHEN"
// lines on `out`; null with the reason when launchers would refuse it at `now` (whatever
// serial they have seen).
std::optional<std::string> DescribeStamp(std::string_view information, int64_t now, std::ostream& out);

// The clock the tool stamps and judges by: UTC seconds since 1970.
int64_t UtcNow();

}  // namespace KilnCli
