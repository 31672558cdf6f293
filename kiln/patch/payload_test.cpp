#include "kiln/patch/payload.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "tests/support/patch_folders.h"

namespace Kiln::Patch {
namespace {

Payload Sample()
{
    Payload payload;
    payload.fromVersion = "1.00";
    payload.toVersion = "1.01";
    payload.launcherUpdate = true;
    payload.oldSystemIni = "[Game]\r\nVersion=1.00\r\n";
    Entry folder;
    folder.kind = EntryKind::kAddFolder;
    folder.method = static_cast<Method>(0);
    folder.name = "data/\xe6\x96\xb0";
    Entry changed;
    changed.kind = EntryKind::kChangeFile;
    changed.method = Method::kDelta;
    changed.name = "data/\xe6\x96\xb0/a.bin";
    changed.oldSize = 10;
    changed.newSize = 12;
    changed.oldHash.fill(0x11);
    changed.newHash.fill(0x22);
    changed.data = {1, 2, 3};
    Entry removed;
    removed.kind = EntryKind::kRemoveFile;
    removed.method = static_cast<Method>(0);
    removed.name = "old.txt";
    removed.oldSize = 5;
    removed.oldHash.fill(0x33);
    payload.entries = {folder, changed, removed};
    return payload;
}

TEST(PatchPayloadTest, WrittenPayloadReadsBackAsWritten)
{
    const Bytes bytes = WritePayload(Sample());
    // Magic, two versions, flags, the old System.ini, count: the layout makers' tools may rely on.
    const char layout[] = "KILNPAY3\x04\x00" "1.00\x04\x00" "1.01\x01\x00\x00\x00"
                          "\x16\x00\x00\x00\x00\x00\x00\x00[Game]\r\nVersion=1.00\r\n\x03\x00\x00\x00";
    ASSERT_GT(bytes.size(), sizeof layout - 1);
    EXPECT_EQ(std::memcmp(bytes.data(), layout, sizeof layout - 1), 0);
    const auto read = ReadPayload(bytes.data(), bytes.size());
    ASSERT_TRUE(read);
    EXPECT_EQ(read->fromVersion, "1.00");
    EXPECT_EQ(read->toVersion, "1.01");
    EXPECT_TRUE(read->launcherUpdate);
    EXPECT_EQ(read->oldSystemIni, "[Game]\r\nVersion=1.00\r\n");
    ASSERT_EQ(read->entries.size(), 3u);
    const Entry& changed = read->entries[1];
    EXPECT_EQ(changed.kind, EntryKind::kChangeFile);
    EXPECT_EQ(changed.method, Method::kDelta);
    EXPECT_EQ(changed.name, "data/\xe6\x96\xb0/a.bin");
    EXPECT_EQ(changed.oldSize, 10u);
    EXPECT_EQ(changed.newSize, 12u);
    EXPECT_EQ(changed.oldHash[31], 0x11);
    EXPECT_EQ(changed.newHash[0], 0x22);
    EXPECT_EQ(changed.data, (Bytes{1, 2, 3}));
    EXPECT_EQ(read->entries[2].oldHash[0], 0x33);
}

TEST(PatchPayloadTest, EveryTruncationIsRefused)
{
    const Bytes bytes = WritePayload(Sample());
    for (size_t size = 0; size < bytes.size(); ++size)
        EXPECT_FALSE(ReadPayload(bytes.data(), size)) << size;
    Bytes longer = bytes;
    longer.push_back(0);
    EXPECT_FALSE(ReadPayload(longer.data(), longer.size()));
    Bytes earlier = bytes;
    earlier[7] = '1';
    std::string error;
    EXPECT_FALSE(ReadPayload(earlier.data(), earlier.size(), &error));
    EXPECT_EQ(error, "a patch of another kiln version; build it again with this one");
}

TEST(PatchPayloadTest, MalformedEntriesAreRefused)
{
    struct Case {
        const char* what;
        void (*spoil)(Payload&);
    };
    const Case cases[] = {
        {"parent folder", [](Payload& p) { p.entries[2].name = "../old.txt"; }},
        {"absolute name", [](Payload& p) { p.entries[2].name = "/old.txt"; }},
        {"backslash", [](Payload& p) { p.entries[2].name = "a\\old.txt"; }},
        {"unknown kind", [](Payload& p) { p.entries[2].kind = static_cast<EntryKind>(6); }},
        {"unknown method", [](Payload& p) { p.entries[1].method = static_cast<Method>(3); }},
        {"delta without old file",
         [](Payload& p) {
             p.entries[1].kind = EntryKind::kAddFile;
             p.entries[1].oldSize = 0;
         }},
        {"contents on a removal", [](Payload& p) { p.entries[2].data = {1}; }},
    };
    for (const Case& c : cases) {
        Payload payload = Sample();
        c.spoil(payload);
        const Bytes bytes = WritePayload(payload);
        std::string error;
        EXPECT_FALSE(ReadPayload(bytes.data(), bytes.size(), &error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

// A name Windows opens as a device, one the patch program writes itself, or a second spelling
// of a name another entry already has: the reader refuses the payload, whatever built it.
TEST(PatchPayloadTest, NamesWindowsCannotHoldOrThatTheProgramUsesAreRefused)
{
    struct Case {
        const char* name;  // the removed file's name (the other entries: "data/新", "data/新/a.bin")
        bool read;
    };
    const Case cases[] = {
        {"CON", false},
        {"nul.txt", false},
        {"data/Com1.tar.gz", false},
        {"LPT9", false},
        {"aux .dat", false},
        {"com\xc2\xb9.txt", false},  // COM¹
        {"conout$", false},
        {"kiln-patch.journal", false},
        {"KILN-PATCH.PROBE", false},
        {"data/a.bin.kiln-new", false},
        {"save.KILN-OLD", false},
        {"DATA/\xe6\x96\xb0/A.BIN", false},  // the changed file's name in other case
        {"Data/\xe6\x96\xb0", false},        // the added folder's
        {"console.txt", true},
        {"com10.txt", true},
        {"lpt.txt", true},
        {"nul_.txt", true},
        {"com\xc2\xb4.txt", true},  // COM´: not a superscript digit
        {"kiln-patch.journal.txt", true},
        {"a.kiln-newer", true},
        {"data/\xe6\x96\xb0/a.bin2", true},
    };
    for (const Case& c : cases) {
        Payload payload = Sample();
        payload.entries[2].name = c.name;
        const Bytes bytes = WritePayload(payload);
        std::string error;
        EXPECT_EQ(ReadPayload(bytes.data(), bytes.size(), &error).has_value(), c.read) << c.name << ": " << error;
    }
}

TEST(PatchPayloadTest, CountsAndSizesBeyondThePayloadAreRefused)
{
    Bytes bytes = WritePayload(Sample());
    Bytes ini = bytes;
    ini[24 + 6] = 0x01;  // the old System.ini's size
    EXPECT_FALSE(ReadPayload(ini.data(), ini.size()));
    const size_t header = 24 + 8 + 22;  // up to the entry count
    Bytes count = bytes;
    count[header] = 0xFF;  // the entry count, now far more than the bytes hold
    count[header + 1] = 0xFF;
    EXPECT_FALSE(ReadPayload(count.data(), count.size()));
    // The first entry's data size (a folder's: after kind, method, name and the sizes and digests).
    Bytes size = bytes;
    const size_t dataSize = header + 4 + 1 + 1 + 2 + 8 + 8 + 8 + 32 + 32;
    size[dataSize + 7] = 0x80;
    EXPECT_FALSE(ReadPayload(size.data(), size.size()));
}

TEST(PatchPayloadTest, TrailerPointsAtThePayloadAfterTheStub)
{
    const Bytes stub = {'M', 'Z', 0, 1, 2};
    const Bytes payload = WritePayload(Sample());
    const Bytes program = AppendPayload(stub, payload);
    ASSERT_EQ(program.size(), stub.size() + payload.size() + kTrailerSize);
    const auto span = ReadTrailer(program.data() + program.size() - kTrailerSize, program.size());
    ASSERT_TRUE(span);
    EXPECT_EQ(span->offset, stub.size());
    EXPECT_EQ(span->size, payload.size());

    EXPECT_FALSE(ReadTrailer(program.data() + program.size() - kTrailerSize, program.size() + 1));
    Bytes moved = program;
    moved[program.size() - kTrailerSize] = 0x7F;  // an offset past the payload
    EXPECT_FALSE(ReadTrailer(moved.data() + moved.size() - kTrailerSize, moved.size()));
    EXPECT_FALSE(ReadTrailer(stub.data(), 3));
}

// The patch program reads its own file: entries' contents stay there until they are applied.
TEST(PatchPayloadTest, AProgramFileIsReadWithTheContentsLeftInIt)
{
    const TestSupport::TempFolder folder("payload_file");
    const Bytes stub = {'M', 'Z', 0, 1, 2};
    const Bytes program = AppendPayload(stub, WritePayload(Sample()));
    int files = 0;
    auto open = [&](const Bytes& bytes) -> std::shared_ptr<ByteSource> {
        const auto path = folder.Path() / ("patch" + std::to_string(++files) + ".exe");
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                      static_cast<std::streamsize>(bytes.size()));
        return ReadableFile::Open(path);
    };
    std::string error;
    const auto read = ReadPatchProgram(open(program), &error);
    ASSERT_TRUE(read) << error;
    const Entry& changed = read->entries[1];
    EXPECT_TRUE(changed.data.empty());
    EXPECT_EQ(ContentsSize(changed), 3u);
    SourceReader contents = ContentsOf(changed);
    Bytes bytes(3);
    ASSERT_TRUE(contents.Read(bytes.data(), bytes.size()));
    EXPECT_EQ(bytes, (Bytes{1, 2, 3}));
    EXPECT_EQ(contents.Remaining(), 0u);
    EXPECT_EQ(ContentsSize(read->entries[2]), 0u);

    Bytes cut = program;
    cut.pop_back();
    EXPECT_FALSE(ReadPatchProgram(open(cut), &error));
    EXPECT_EQ(error, "not a patch program");
    Bytes earlier = program;
    earlier[stub.size() + 7] = '2';
    EXPECT_FALSE(ReadPatchProgram(open(earlier), &error));
    EXPECT_EQ(error, "a patch of another kiln version; build it again with this one");
}

}  // namespace
}  // namespace Kiln::Patch
