#include "launcher/patch/patch_rules.h"

#include <gtest/gtest.h>

#include <boost/format.hpp>

namespace Launcher::Patch {
namespace {

TEST(PatchRulesTest, WorkingFilesLieInTheUpdaterFolderUnderDocuments)
{
    EXPECT_EQ(WorkingFolder("C:\\Users\\p\\Documents"), "C:\\Users\\p\\Documents\\TavoriUpdater\\");
    EXPECT_EQ(WorkingFilePath("C:\\Users\\p\\Documents", "Update.ini"),
              "C:\\Users\\p\\Documents\\TavoriUpdater\\Update.ini");
    EXPECT_EQ(FolderOf("C:\\Users\\p\\Documents\\TavoriUpdater\\patch_1.01.exe"),
              "C:\\Users\\p\\Documents\\TavoriUpdater\\");
    EXPECT_EQ(FolderOf("patch.exe"), "");
}

TEST(PatchRulesTest, UpdateIniIsSevenLinesEndingInCrLf)
{
    EXPECT_EQ(UpdateIniText("C:\\Game\\", "D:\\T\\p.exe", "D:\\T\\Update.ini", "D:\\T\\"),
              "[Update]\r\n"
              "TargetDirectory=C:\\Game\\\r\n"
              "[WrittenFile]\r\n"
              "File1=D:\\T\\p.exe\r\n"
              "File2=D:\\T\\Update.ini\r\n"
              "[CreateDirectory]\r\n"
              "Directory1=D:\\T\\\r\n");
}

TEST(PatchRulesTest, NamesAreFilledIntoTheirTemplates)
{
    EXPECT_EQ(ServerFileURL("http://example.jp/up", "info.txt"), "http://example.jp/upinfo.txt");
    EXPECT_EQ(PatchFileName("game_patch_%1%.exe", "1.01"), "game_patch_1.01.exe");
    EXPECT_EQ(PatchFileName("%1%/%1%.exe", "2"), "2/2.exe");
    EXPECT_THROW(PatchFileName("patch.exe", "1.01"), boost::io::format_error);
    EXPECT_THROW(PatchFileName("patch_%2%.exe", "1.01"), boost::io::format_error);
    EXPECT_THROW(PatchFileName("patch_%1%_%2%.exe", "1.01"), boost::io::format_error);
    EXPECT_EQ(UpdatedMessage("1.01"), "バージョン[1.01]に更新されました。\n更に新しいパッチが存在するか続けて確認します。");
}

// What a server's information may put into a path and a URL.
TEST(PatchRulesTest, OnlyPlainVersionsAndFileNamesAreUsed)
{
    struct Case {
        std::string text;
        bool version;
        bool fileName;
    };
    const Case cases[] = {
        {"1.01", true, true},
        {"2.0.1-beta+3_(jp)", true, true},
        {"..", false, false},
        {"1..2", false, false},
        {"..\\..\\x", false, false},
        {"../x", false, false},
        {"a/b", false, false},
        {"C:x", false, false},
        {"x\x01y", false, false},
        {std::string("1.0\0x", 5), false, false},
        {"1 0", false, true},
        {"1.0.", true, false},
        {"", false, false},
        {std::string(64, '1'), true, true},
        {std::string(65, '1'), false, true},
        {"\x83\x6F", false, true},  // Shift-JIS: no URL without escaping
        {"CON", true, false},
        {"nul.exe", true, false},
        {"Com1.txt", true, false},
        {"lpt9", true, false},
        {"conout$", false, false},
        {"com10", true, true},
        {"console", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(IsPlainVersion(c.text), c.version);
        EXPECT_EQ(IsPlainFileName(c.text), c.fileName);
    }
}

TEST(PatchRulesTest, InformationIsReadFromTheFirstServerThatAnswers2xx)
{
    using Step = InformationStep;
    struct Case {
        bool finished;
        uint32_t status;
        size_t index;
        size_t count;
        Step step;
    };
    const Case cases[] = {
        {true, 200, 0, 1, Step::Evaluate},      {true, 299, 1, 2, Step::Evaluate},
        {true, 204, 0, 2, Step::Evaluate},      {true, 300, 0, 2, Step::NextServer},
        {true, 199, 0, 2, Step::NextServer},    {true, 0, 0, 2, Step::NextServer},
        {false, 200, 0, 2, Step::NextServer},   {true, 404, 1, 2, Step::AllServersFailed},
        {false, 0, 0, 1, Step::AllServersFailed}, {false, 0, 2, 3, Step::AllServersFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << c.finished << " " << c.status << " " << c.index << "/" << c.count);
        EXPECT_EQ(DecideInformationStep(c.finished, c.status, c.index, c.count), c.step);
    }
    EXPECT_TRUE(IsSuccessStatus(200));
    EXPECT_FALSE(IsSuccessStatus(2000));
}

TEST(PatchRulesTest, ProgressIsTheTruncatedPercentageOnceTheSizeIsKnown)
{
    EXPECT_EQ(ProgressPosition(0, UINT64_MAX), std::nullopt);
    EXPECT_EQ(ProgressPosition(5000, UINT64_MAX), std::nullopt);
    EXPECT_EQ(ProgressPosition(0, 1000), 0);
    EXPECT_EQ(ProgressPosition(999, 1000), 99);
    EXPECT_EQ(ProgressPosition(1000, 1000), 100);
    EXPECT_EQ(ProgressPosition(1, 3), 33);
    EXPECT_EQ(ProgressPosition(2, 3), 66);
    EXPECT_EQ(ProgressPosition(0xFFFFFFFE, 0xFFFFFFFE), 100);
    EXPECT_EQ(ProgressPosition(0x7FFFFFFF, 0xFFFFFFFE), 50);
    // Past 4 GiB: 4.5 GiB of 5 GiB, and of 5 000 000 000 bytes.
    EXPECT_EQ(ProgressPosition(uint64_t{9} << 29, uint64_t{5} << 30), 90);
    EXPECT_EQ(ProgressPosition(4999999999, 5000000000), 99);
    EXPECT_EQ(ProgressPosition(uint64_t{1} << 32, 5000000000), 85);
}

TEST(PatchRulesTest, DigestsMatchWithoutRegardToCase)
{
    // MD5("") from RFC 1321
    const std::string empty = "d41d8cd98f00b204e9800998ecf8427e";
    EXPECT_TRUE(DigestMatches(empty, "D41D8CD98F00B204E9800998ECF8427E"));
    EXPECT_TRUE(DigestMatches(empty, empty));
    EXPECT_FALSE(DigestMatches(empty, "d41d8cd98f00b204e9800998ecf8427f"));
    EXPECT_FALSE(DigestMatches(empty, ""));
    EXPECT_FALSE(DigestMatches(empty, empty + " "));
}

}  // namespace
}  // namespace Launcher::Patch

namespace Launcher::Patch {
namespace {

// RFC 8032 section 7.1 test 2 (message 0x72), key and signature in Base64.
constexpr char kKey[] = "PUAXw+hDiVqStwqnTRt+vJyYLM8uxJaMwM1V8Sr0Zgw=";
constexpr char kSignature[] = "kqAJqfDUyrhyDoILX2QlQKKye1QWUD+Ps3YiI+vbadoIWsHkPhWZbkWPNhPQ8R2MOHsurrQwKu6wDSkWErsMAA==";

TEST(PatchRulesTest, UpdatePublicKeyIsAbsentValidOrMalformed)
{
    EXPECT_EQ(ReadUpdateKey("").kind, UpdateKey::Kind::None);
    const UpdateKey valid = ReadUpdateKey(kKey);
    EXPECT_EQ(valid.kind, UpdateKey::Kind::Valid);
    EXPECT_EQ(valid.key[0], 0x3d);
    EXPECT_EQ(valid.key[31], 0x0c);
    for (const std::string& typo : {std::string(kKey).substr(1), std::string(kKey) + "A", std::string(" ") + kKey,
                                    std::string(kSignature), std::string("none")})
        EXPECT_EQ(ReadUpdateKey(typo).kind, UpdateKey::Kind::Malformed) << typo;
    EXPECT_EQ(SignatureFileName("update.txt"), "update.txt.sig");
}

TEST(PatchRulesTest, InformationCountsOnlyWithAVerifyingSignature)
{
    const auto key = *Kiln::Signature::ReadPublicKey(kKey);
    const std::string signature = std::string(kSignature) + "\r\n";
    struct Case {
        bool finished;
        uint32_t status;
        std::string signatureBody;
        std::string information;
        bool counts;
    };
    const Case cases[] = {
        {true, 200, signature, "r", true},
        {true, 200, kSignature, "r", true},
        {true, 200, signature, "r\n", false},  // one byte more
        {true, 200, signature, "s", false},
        {true, 404, signature, "r", false},  // a 404 page never counts, whatever it holds
        {false, 200, signature, "r", false},
        {true, 200, "", "r", false},
        {true, 200, std::string(kKey), "r", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(InformationVerifies(key, c.finished, c.status, c.signatureBody, c.information), c.counts)
            << c.status << " " << c.information;
}

}  // namespace
}  // namespace Launcher::Patch
