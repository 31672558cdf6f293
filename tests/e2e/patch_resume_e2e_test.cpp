// A patch download over a bad line, as a player meets it: cut off, resumed, started over where
// the server cannot continue it, cancelled and continued by the next try.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>

#include "tests/e2e/patch_fixture.h"

#include <psapi.h>

#include "kiln/base/scoped_win.h"

namespace {

using namespace PatchE2E;

// The "SENT <bytes>" lines of a server's log, added up.
uint64_t BytesSent(const std::string& log)
{
    uint64_t total = 0;
    const std::regex sent(" SENT ([0-9]+)");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), sent); it != std::sregex_iterator(); ++it)
        total += std::stoull((*it)[1].str());
    return total;
}

// The starts of the Range requests in a server's log, in order.
std::vector<uint64_t> RangeStarts(const std::string& log)
{
    std::vector<uint64_t> starts;
    const std::regex range("Range: bytes=([0-9]+)-");
    for (auto it = std::sregex_iterator(log.begin(), log.end(), range); it != std::sregex_iterator(); ++it)
        starts.push_back(std::stoull((*it)[1].str()));
    return starts;
}

size_t Count(const std::string& text, const std::string& piece)
{
    size_t count = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + 1))
        ++count;
    return count;
}

class PatchResumeTest : public PatchTest {
protected:
    // Offers 1.01 from server `n`, the patch served with the download options given.
    void OfferDownload(int n, const std::string& patch, const std::string& options)
    {
        GameFolder& site = Site(n);
        site.Write("update.txt", UpdateInfo({{"1.01", Md5Hex(patch), 0}}));
        site.Write("patch_1.01.exe", patch);
        Configure("1.00", {Serve(n, site, R"({"/update.txt": {"file": "update.txt"},
                                              "/patch_1.01.exe": {"file": "patch_1.01.exe", "download": )" +
                                              options + "}}")});
    }

    // The patch has run and the game is at 1.01; the dialog and the launcher are closed.
    void ExpectPatched()
    {
        HWND box = WaitForBox(kUpdatedCaption, 90000);
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(PatchRuns(), "1.01\n");
        EXPECT_EQ(InstalledVersion(), "1.01");
        EXPECT_FALSE(Exists(WorkingFolder()));
        Answer(box, IDCANCEL);
        EXPECT_TRUE(WaitGone(dialog_, 5000));
        CloseLauncher(window_);
    }
};

TEST_F(PatchResumeTest, ACutDownloadResumesOrStartsOverAsTheServerAllows)
{
    const std::string patch = PatchBytes("1.01", 0, 8 * 1024 * 1024);
    const uint64_t size = patch.size();
    struct Case {
        const char* what;
        const char* options;
        size_t requests;        // for the patch
        size_t rangeRequests;   // among them
        double maxSentShare;    // of the file, in all
    };
    const Case cases[] = {
        {"closed at 30 % and at 80 %", R"({"etags": ["\"v1\""], "cut": [0.3, 0.8]})", 3, 2, 1.05},
        {"a server that ignores Range", R"({"etags": ["\"v1\""], "cut": [0.5], "ranges": false})", 2, 1, 1.55},
        {"the file changed between tries", R"({"etags": ["\"v1\"", "\"v2\""], "cut": [0.5]})", 2, 1, 1.55},
        {"a Content-Range that does not continue", R"({"etags": ["\"v1\""], "cut": [0.4], "bad_range": true})", 3,
         1, 2.45},
        // Without a validator nothing may be continued: the second try asks for the whole file.
        {"no ETag", R"({"cut": [0.5]})", 2, 0, 1.55},
    };
    int address = 70;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OfferDownload(address++, patch, c.options);
        ASSERT_TRUE(OpenDialog());
        ExpectPatched();
        const std::string log = servers_.back()->RequestLog();
        EXPECT_EQ(Count(log, "GET /patch_1.01.exe"), c.requests) << log;
        EXPECT_EQ(RangeStarts(log).size(), c.rangeRequests) << log;
        EXPECT_LE(BytesSent(log), static_cast<uint64_t>(c.maxSentShare * size)) << log;
        // Each resume asked for the bytes after those the server had sent up to its cut.
        for (const uint64_t start : RangeStarts(log)) {
            bool atACut = false;
            for (const double share : {0.3, 0.4, 0.5, 0.8})
                atACut = atACut || std::abs(static_cast<double>(start) - share * static_cast<double>(size)) <= 1.0;
            EXPECT_TRUE(atACut) << start;
        }
        ::DeleteFileA(game_.PathOf("patch_runs.txt").c_str());
    }
}

TEST_F(PatchResumeTest, ADownloadCancelledHalfwayContinuesAtTheNextTry)
{
    const std::string patch = PatchBytes("1.01", 0, 8 * 1024 * 1024);
    OfferDownload(76, patch, R"({"etags": ["\"v1\""], "trickle": [131072, 0.05]})");
    ASSERT_TRUE(OpenDialog());
    HWND progress = ::GetDlgItem(dialog_, IDC_PATCH_PROGRESS);
    const DWORD waited = ::GetTickCount();
    while (::SendMessageA(progress, PBM_GETPOS, 0, 0) < 50 && ::GetTickCount() - waited < 30000)
        ::Sleep(20);
    // The line under the bar: amount of the total, speed and time left.
    char total[32];
    std::snprintf(total, sizeof total, "%.1f MB", static_cast<double>(patch.size()) / (1 << 20));
    const std::string line = KilnTest::ItemText(dialog_, IDC_PATCH_DETAIL);
    EXPECT_TRUE(std::regex_match(line, std::regex("[0-9.]+ MB / " + std::regex_replace(total, std::regex("\\."), "\\.") +
                                                  "　[0-9.]+ (MB|KB)/s　残り [0-9]+秒")))
        << line;
    KilnTest::Click(dialog_, IDCANCEL);
    EXPECT_TRUE(WaitGone(dialog_, 1000));
    // What arrived stays for the next try, with its record.
    const std::string partial = WorkingFolder() + "patch_1.01.exe.part";
    const uint64_t kept = KilnTest::ReadFileText(partial).size();
    EXPECT_GE(kept, patch.size() / 2);
    EXPECT_TRUE(KilnTest::ReadFileText(partial) == patch.substr(0, kept));
    EXPECT_TRUE(Exists(WorkingFolder() + "Download.txt"));

    dialog_ = OpenPatchDialog(window_);
    ASSERT_NE(dialog_, nullptr);
    ExpectPatched();
    // One Range request, from the byte after those kept, and only the rest sent for it.
    const std::string log = servers_.back()->RequestLog();
    EXPECT_EQ(RangeStarts(log), std::vector<uint64_t>{kept}) << log;
    EXPECT_EQ(log.substr(log.rfind(" SENT ")), " SENT " + std::to_string(patch.size() - kept) + "\n\n");
}

TEST_F(PatchResumeTest, APartialDownloadOfAnotherPatchIsRemoved)
{
    ::CreateDirectoryA(WorkingFolder().c_str(), nullptr);
    KilnTest::WriteFileText(WorkingFolder() + "patch_1.01.exe.part", "an older 1.01");
    KilnTest::WriteFileText(WorkingFolder() + "Download.txt",
                            "File=patch_1.01.exe\nVersion=1.01\nDigest=00000000000000000000000000000000\n"
                            "Validator=\"v0\"\nTotal=13\n");
    const std::string patch = PatchBytes("1.01", 0);
    OfferDownload(77, patch, R"({"etags": ["\"v1\""]})");
    ASSERT_TRUE(OpenDialog());
    ExpectPatched();
    EXPECT_TRUE(RangeStarts(servers_.back()->RequestLog()).empty());
}

// Opt-in (KILN_LARGE_TESTS=1): 1.5 GiB goes to disk, not into the launcher's memory.
TEST_F(PatchResumeTest, AOnePointFiveGigabytePatchDownloadsInLittleMemory)
{
    if (!std::getenv("KILN_LARGE_TESTS"))
        GTEST_SKIP() << "a large-file case: set KILN_LARGE_TESTS=1";
    GameFolder& site = Site(78);
    const std::string program = KilnTest::ReadFileText(KilnTest::BinDirectory() + "TestPatch.exe");
    const std::string trailer = "KILNPATCH:1.01:0\n";
    const uint64_t padding = (uint64_t{3} << 29) - program.size() - trailer.size();
    // Written and digested piece by piece; the digest by the system's CryptoAPI.
    HCRYPTPROV provider = 0;
    HCRYPTHASH hash = 0;
    ASSERT_TRUE(::CryptAcquireContextA(&provider, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT));
    ASSERT_TRUE(::CryptCreateHash(provider, CALG_MD5, 0, 0, &hash));
    {
        Kiln::UniqueFileHandle file(::CreateFileA(site.PathOf("patch_1.01.exe").c_str(), GENERIC_WRITE, 0, nullptr,
                                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(file);
        auto put = [&](const std::string& bytes) {
            DWORD written = 0;
            ASSERT_TRUE(::WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
            ASSERT_TRUE(::CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()),
                                        static_cast<DWORD>(bytes.size()), 0));
        };
        put(program);
        const std::string piece(1 << 24, 'p');
        for (uint64_t left = padding; left > 0; left -= std::min<uint64_t>(left, piece.size()))
            put(piece.substr(0, static_cast<size_t>(std::min<uint64_t>(left, piece.size()))));
        put(trailer);
    }
    BYTE digest[16] = {};
    DWORD digestSize = sizeof digest;
    ASSERT_TRUE(::CryptGetHashParam(hash, HP_HASHVAL, digest, &digestSize, 0));
    ::CryptDestroyHash(hash);
    ::CryptReleaseContext(provider, 0);
    std::string hex;
    for (const BYTE b : digest) {
        hex += "0123456789abcdef"[b >> 4];
        hex += "0123456789abcdef"[b & 0xF];
    }
    site.Write("update.txt", UpdateInfo({{"1.01", hex, 0}}));
    Configure("1.00", {Serve(78, site, R"({"/update.txt": {"file": "update.txt"},
                                         "/patch_1.01.exe": {"file": "patch_1.01.exe", "download": {"etags": ["\"big\""]}}})")});
    const DWORD pressed = ::GetTickCount();
    ASSERT_TRUE(OpenDialog());
    HWND box = WaitForBox(kUpdatedCaption, 600000);
    ASSERT_NE(box, nullptr);
    std::printf("from the launcher's start to the patch's end: %lu ms\n", ::GetTickCount() - pressed);
    Kiln::UniqueHandle launcher(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, launcher_->Id()));
    PROCESS_MEMORY_COUNTERS counters = {};
    ASSERT_TRUE(::GetProcessMemoryInfo(launcher.Get(), &counters, sizeof counters));
    std::printf("launcher peak working set: %llu MiB\n",
                static_cast<unsigned long long>(counters.PeakWorkingSetSize >> 20));
    EXPECT_LT(counters.PeakWorkingSetSize, SIZE_T{150} << 20);
    EXPECT_EQ(PatchRuns(), "1.01\n");
    Answer(box, IDCANCEL);
    EXPECT_TRUE(WaitGone(dialog_, 5000));
    CloseLauncher(window_);
    ::DeleteFileA(site.PathOf("patch_1.01.exe").c_str());
}

}  // namespace
