#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "kiln/crypt/signature.h"
#include "tests/support/tool_harness.h"

namespace KilnCli {
namespace {

using TestSupport::RunKiln;

// RFC 8032 section 7.1 tests 1 and 3, their hex turned into Base64: secret key (seed), public key, message,
// signature.
struct Vector {
    const char* seed;
    const char* publicKey;
    std::string message;
    const char* signature;
};
const Vector kVectors[] = {
    {"nWGxne/9WmC6hEr0kuwsxERJxWl7MmkZcDusAxyuf2A=", "11qYAYKxCrfVS/7TyWQHOg7hcvPapiMlrwIaaPcHURo=", "",
     "5VZDAMNgrHKQhuLMgG6CioSHfx645dl02HPgZSJJAVVfuIIVkKM7rMYeOXAc+bRr0lv18FlbviRlUUFDjnoQCw=="},
    {"xaqN9D+fg3vtt0QvMdy3sWbThTUHbwlLhc46LgtEWPc=", "/FHNjmIYoaONpH7QAjDwWAgW7RO6MwOsXeuRFUiQgCU=", "\xaf\x82",
     "YpHWV97sJAJIJ+acOr4BowzlSKKEdDpEXjaA19taw6wY/5tTjRbykK5n92CYTcZZSnwV6XFu0o3AJ77O6h7ECg=="},
};

TEST(SignCommandTest, PublishedVectorsThroughSignAndVerify)
{
    const TestSupport::ScratchFolder folder("sign_vectors");
    for (const Vector& v : kVectors) {
        folder.Write("secret", std::string(v.seed) + "\n");
        folder.Write("message", v.message);
        ASSERT_EQ(RunKiln({"sign", folder.Path("secret"), folder.Path("message")}).code, kOk);
        EXPECT_EQ(folder.Read("message.sig"), std::string(v.signature) + "\n");
        const auto good = RunKiln({"verify", v.publicKey, folder.Path("message")});
        EXPECT_EQ(good.code, kOk);
        EXPECT_EQ(good.out, "good\n");

        folder.Write("message", v.message + "!");
        const auto bad = RunKiln({"verify", v.publicKey, folder.Path("message")});
        EXPECT_EQ(bad.code, kFailed);
        EXPECT_NE(bad.err.find("bad signature"), std::string::npos);
    }
}

TEST(SignCommandTest, VerifySaysWhyItFails)
{
    const TestSupport::ScratchFolder folder("sign_failures");
    folder.Write("info", "1.00,,0,x\n");
    const std::string key = kVectors[0].publicKey;
    const std::string info = folder.Path("info");
    const auto noSignature = RunKiln({"verify", key, info});
    EXPECT_EQ(noSignature.code, kFailed);
    EXPECT_NE(noSignature.err.find("no signature file"), std::string::npos);
    folder.Write("info.sig", std::string(kVectors[0].publicKey) + "\n");  // 32 bytes, not 64
    EXPECT_NE(RunKiln({"verify", key, info}).err.find("is not a signature"), std::string::npos);
    EXPECT_NE(RunKiln({"verify", key.substr(1), info}).err.find("public key is not"), std::string::npos);
    EXPECT_EQ(RunKiln({"verify", key}).code, kBadUsage);
    EXPECT_EQ(RunKiln({"sign", folder.Path("missing"), info}).code, kFailed);
}

TEST(SignCommandTest, KeygenMakesAPairThatSignsAndNeverReplacesASecret)
{
    const TestSupport::ScratchFolder folder("sign_keygen");
    const std::string secret = folder.Path("secret");
    const auto made = RunKiln({"keygen", secret});
    ASSERT_EQ(made.code, kOk);
    ASSERT_EQ(made.out.size(), 45u);  // 44 characters of Base64 and the line end
    const std::string before = folder.Read("secret");
    EXPECT_EQ(before.size(), 45u);

    EXPECT_EQ(RunKiln({"keygen", secret}).code, kFailed);
    EXPECT_EQ(folder.Read("secret"), before);

    folder.Write("info", "1.00,,0,x\n");
    ASSERT_EQ(RunKiln({"sign", secret, folder.Path("info")}).code, kOk);
    const std::string publicKey = made.out.substr(0, 44);
    EXPECT_EQ(RunKiln({"verify", publicKey, folder.Path("info")}).code, kOk);
    EXPECT_EQ(RunKiln({"verify", kVectors[0].publicKey, folder.Path("info")}).code, kFailed);
}

TEST(SignCommandTest, UpdateInfoCheckVerifiesBeforeReading)
{
    const TestSupport::ScratchFolder folder("sign_updateinfo");
    folder.Write("secret", std::string(kVectors[0].seed) + "\n");
    folder.Write("update.txt", "1.00,,0,x\n1.01,900150983cd24fb0d6963f7d28e17f72,0,x\n");
    const std::string info = folder.Path("update.txt");
    ASSERT_EQ(RunKiln({"sign", folder.Path("secret"), info}).code, kOk);
    const auto good = RunKiln({"updateinfo", "check", info, "--installed", "1.00", "--public-key", kVectors[0].publicKey});
    EXPECT_EQ(good.code, kOk);
    EXPECT_EQ(good.out.rfind("signature: good\nnext: 1.01\n", 0), 0u);

    folder.Write("update.txt", "1.00,,0,x\n1.01,900150983cd24fb0d6963f7d28e17f72,0,y\n");
    const auto bad = RunKiln({"updateinfo", "check", info, "--installed", "1.00", "--public-key", kVectors[0].publicKey});
    EXPECT_EQ(bad.code, kFailed);
    EXPECT_EQ(bad.out, "");
    EXPECT_NE(bad.err.find("bad signature"), std::string::npos);
}

// The serial and expiry that tie signed update information to time.
TEST(SignCommandTest, UpdateInformationIsStampedBeforeItIsSigned)
{
    const TestSupport::ScratchFolder folder("sign_stamp");
    folder.Write("secret", std::string(kVectors[0].seed) + "\n");
    const std::string secret = folder.Path("secret");
    const std::string info = folder.Path("update.txt");
    const std::string key = kVectors[0].publicKey;
    const std::string entries = "1.00,,0,x\r\n1.01,900150983cd24fb0d6963f7d28e17f72,0,x\r\n";

    folder.Write("update.txt", entries);
    const auto signed5 = RunKiln({"sign", secret, info, "--serial", "5"});
    ASSERT_EQ(signed5.code, kOk) << signed5.err;
    EXPECT_EQ(signed5.out, "serial: 5\nexpires: never\n");
    EXPECT_EQ(folder.Read("update.txt"), entries + "\r\nSerial=5\r\n");
    EXPECT_EQ(RunKiln({"verify", key, info}).out, "good\nserial: 5\nexpires: never\n");

    // Without --serial: the time, and an expiry DAYS from now.
    const long long before = static_cast<long long>(std::time(nullptr));
    ASSERT_EQ(RunKiln({"sign", secret, info, "--expires", "2"}).code, kOk);
    const std::string stamped = folder.Read("update.txt");
    const size_t serialAt = stamped.find("Serial=");
    ASSERT_NE(serialAt, std::string::npos);
    const long long serial = std::stoll(stamped.substr(serialAt + 7));
    EXPECT_GE(serial, before);
    EXPECT_LE(serial, before + 60);
    EXPECT_NE(stamped.find("\r\nExpires=20"), std::string::npos);
    const auto checked = RunKiln({"updateinfo", "check", info, "--installed", "1.00", "--public-key", key});
    EXPECT_EQ(checked.code, kOk) << checked.err;
    EXPECT_NE(checked.out.find("serial: " + std::to_string(serial) + "\nexpires: 20"), std::string::npos);

    // A serial already above the clock only ever grows.
    ASSERT_EQ(RunKiln({"sign", secret, info, "--serial", "9000000000"}).code, kOk);
    ASSERT_EQ(RunKiln({"sign", secret, info}).code, kOk);
    EXPECT_NE(folder.Read("update.txt").find("\r\nSerial=9000000001\r\n"), std::string::npos);

    // Expired: signed by the maker's key, but launchers refuse it, and so do the checks.
    const auto seed = Kiln::Signature::ReadSeed(kVectors[0].seed);
    ASSERT_TRUE(seed);
    const std::string expired = entries + "\r\nSerial=7\r\nExpires=2020-01-01T00:00:00Z\r\n";
    folder.Write("update.txt", expired);
    folder.Write("update.txt.sig", Kiln::Signature::WriteText(Kiln::Signature::Sign(*seed, expired)) + "\n");
    const auto verified = RunKiln({"verify", key, info});
    EXPECT_EQ(verified.code, kFailed);
    EXPECT_NE(verified.err.find("expired at 2020-01-01T00:00:00Z"), std::string::npos) << verified.err;
    const auto refused = RunKiln({"updateinfo", "check", info, "--installed", "1.00", "--public-key", key});
    EXPECT_EQ(refused.code, kFailed);
    EXPECT_EQ(refused.out, "signature: good\n");

    for (const Arguments& wrong : {Arguments{"sign", secret, info, "--expires", "0"},
                                   Arguments{"sign", secret, info, "--serial", "-1"},
                                   Arguments{"sign", secret, info, "--serial"},
                                   Arguments{"sign", secret, folder.Path("secret"), "--serial", "3"}}) {
        SCOPED_TRACE(wrong.back());
        EXPECT_EQ(RunKiln(wrong).code, kBadUsage);
    }
    EXPECT_EQ(folder.Read("update.txt"), expired);
}

}  // namespace
}  // namespace KilnCli
