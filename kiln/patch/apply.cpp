#include "kiln/patch/apply.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "kiln/patch/background_digest.h"
#include "kiln/patch/builder.h"
#include "kiln/patch/delta_windows.h"
#include "kiln/patch/ini_value.h"
#include "kiln/patch/journal.h"
#include "kiln/patch/names.h"
#include "kiln/patch/system_ini.h"

namespace Kiln::Patch {
namespace {

std::string Staged(const std::string& name)
{
    return name + kStagedSuffix;
}

std::string Old(const std::string& name)
{
    return name + kOldSuffix;
}

ApplyResult Result(Outcome outcome, Reason reason, const std::string& detail = {})
{
    return {outcome, reason, detail};
}

bool HasContents(EntryKind kind)
{
    return kind == EntryKind::kAddFile || kind == EntryKind::kChangeFile;
}

// The journal goes through a temporary name, so a torn write never replaces a whole one.
bool WriteJournal(FileSystem& files, const Journal& journal)
{
    const std::string text = FormatJournal(journal);
    const std::string temporary = std::string(kJournalName) + kStagedSuffix;
    if (!files.Remove(temporary) || !files.Write(temporary, Bytes(text.begin(), text.end())))
        return false;
    return files.Replace(temporary, kJournalName);
}

std::optional<Journal> ReadJournal(FileSystem& files)
{
    const auto bytes = files.Read(kJournalName);
    if (!bytes)
        return std::nullopt;
    return ParseJournal(std::string(bytes->begin(), bytes->end()));
}

std::optional<std::string> InstalledVersion(FileSystem& files)
{
    const auto text = files.Read(kSystemIni);
    if (!text)
        return std::nullopt;
    return ReadIniValue(std::string_view(reinterpret_cast<const char*>(text->data()), text->size()), "Game",
                        "Version");
}

// Puts every new file in place; safe to repeat after a stop at any point.
ApplyResult RollForward(const Journal& journal, FileSystem& files, const Progress& progress)
{
    size_t done = 0;
    for (const Journal::Operation& op : journal.operations) {
        if (progress)
            progress(Step::kSwapping, done++, journal.operations.size());
        const std::string& name = op.name;
        if (op.kind == Journal::Kind::kRemove) {
            if (files.Exists(name) && !files.Rename(name, Old(name)))
                return Result(Outcome::kFailed, Reason::kCannotChange, name);
            continue;
        }
        if (!files.Exists(Staged(name)))
            continue;  // already in place
        if (files.Exists(name) && !files.Rename(name, Old(name)))
            return Result(Outcome::kFailed, Reason::kCannotChange, name);
        if (!files.Rename(Staged(name), name))
            return Result(Outcome::kFailed, Reason::kCannotChange, name);
    }
    return Result(Outcome::kApplied, Reason::kNone);
}

// Puts every old file back and removes what the run made; safe to repeat.
ApplyResult RollBack(const Journal& journal, FileSystem& files)
{
    ApplyResult result = Result(Outcome::kFailed, Reason::kNone);
    auto keep = [&result](bool ok, const std::string& name) {
        if (!ok && result.reason == Reason::kNone)
            result = Result(Outcome::kFailed, Reason::kCannotChange, name);
    };
    for (auto op = journal.operations.rbegin(); op != journal.operations.rend(); ++op) {
        const std::string& name = op->name;
        if (op->kind != Journal::Kind::kRemove && files.Exists(name) && !files.Exists(Staged(name)) &&
            (op->kind == Journal::Kind::kAdd || files.Exists(Old(name))))
            keep(files.Rename(name, Staged(name)), name);
        if (files.Exists(Old(name)) && !files.Exists(name))
            keep(files.Rename(Old(name), name), name);
    }
    for (const Journal::Operation& op : journal.operations) {
        if (op.kind != Journal::Kind::kRemove)
            keep(files.Remove(Staged(op.name)), op.name);
    }
    keep(files.Remove(std::string(kJournalName) + kStagedSuffix), kJournalName);
    for (auto folder = journal.createdFolders.rbegin(); folder != journal.createdFolders.rend(); ++folder)
        keep(files.RemoveFolder(*folder), *folder);
    if (result.reason == Reason::kNone)
        keep(files.Remove(kJournalName), kJournalName);
    return result;
}

ApplyResult Clean(Journal journal, FileSystem& files, const Progress& progress)
{
    if (journal.state != Journal::State::kClean) {
        journal.state = Journal::State::kClean;
        if (!WriteJournal(files, journal))
            return Result(Outcome::kApplied, Reason::kCannotChange, kJournalName);
    }
    size_t done = 0;
    for (const Journal::Operation& op : journal.operations) {
        if (progress)
            progress(Step::kCleaning, done++, journal.operations.size());
        if (!files.Remove(Old(op.name)))
            return Result(Outcome::kApplied, Reason::kCannotChange, Old(op.name));
    }
    for (const std::string& folder : journal.droppedFolders) {
        if (!files.RemoveFolder(folder))
            return Result(Outcome::kApplied, Reason::kCannotChange, folder);
    }
    if (!files.Remove(kJournalName))
        return Result(Outcome::kApplied, Reason::kCannotChange, kJournalName);
    return Result(Outcome::kApplied, Reason::kNone);
}

// Swaps, then clears up; on a failure while swapping, puts everything back.
ApplyResult Finish(const Journal& journal, FileSystem& files, const Progress& progress)
{
    if (journal.state == Journal::State::kSwap) {
        const ApplyResult swapped = RollForward(journal, files, progress);
        if (swapped.outcome != Outcome::kApplied) {
            RollBack(journal, files);
            return swapped;
        }
    }
    return Clean(journal, files, progress);
}

bool AlreadyApplied(const Payload& payload, FileSystem& files)
{
    if (InstalledVersion(files) != payload.toVersion)
        return false;
    for (const Entry& entry : payload.entries) {
        if (HasContents(entry.kind) && !IsSystemIni(entry.name) && files.Hash(entry.name) != entry.newHash)
            return false;
        if (entry.kind == EntryKind::kRemoveFile && files.Exists(entry.name))
            return false;
    }
    return true;
}

Journal PlanOf(const Payload& payload)
{
    Journal journal;
    journal.fromVersion = payload.fromVersion;
    journal.toVersion = payload.toVersion;
    const Entry* systemIni = nullptr;
    for (const Entry& entry : payload.entries) {
        switch (entry.kind) {
        case EntryKind::kAddFolder:
            journal.createdFolders.push_back(entry.name);
            break;
        case EntryKind::kRemoveFolder:
            journal.droppedFolders.push_back(entry.name);
            break;
        case EntryKind::kAddFile:
            journal.operations.push_back({Journal::Kind::kAdd, entry.name});
            break;
        case EntryKind::kChangeFile:
            if (IsSystemIni(entry.name))
                systemIni = &entry;
            else
                journal.operations.push_back({Journal::Kind::kChange, entry.name});
            break;
        case EntryKind::kRemoveFile:
            journal.operations.push_back({Journal::Kind::kRemove, entry.name});
            break;
        }
    }
    // Parents before children, whatever order the payload lists them in.
    auto depth = [](const std::string& s) { return std::count(s.begin(), s.end(), '/'); };
    std::stable_sort(journal.createdFolders.begin(), journal.createdFolders.end(),
                     [&](const std::string& a, const std::string& b) { return depth(a) < depth(b); });
    std::stable_sort(journal.droppedFolders.begin(), journal.droppedFolders.end(),
                     [&](const std::string& a, const std::string& b) { return depth(a) > depth(b); });
    // The version is raised last: until then the launcher offers this patch again.
    if (systemIni)
        journal.operations.push_back({Journal::Kind::kChange, systemIni->name});
    return journal;
}

// A staged file written from `decode`, which hands each decoded piece to the sink it is given.
struct StagedWrite {
    bool written = false;
    bool damaged = false;  // the frame did not decode, as opposed to a write that failed
};

StagedWrite WriteStaged(const Entry& entry, FileSystem& files,
                        const std::function<bool(const FileSystem::Sink& sink)>& decode)
{
    StagedWrite result;
    result.written = files.WriteFrom(Staged(entry.name), [&](const FileSystem::Sink& sink) {
        bool sinkFailed = false;
        const bool decoded = decode([&](const uint8_t* data, size_t size) {
            sinkFailed = !sink(data, size);
            return !sinkFailed;
        });
        result.damaged = !decoded && !sinkFailed;
        return decoded;
    });
    return result;
}

// What a staged write comes to; `newDigest` is asked only of a file written whole.
ApplyResult VerdictOn(const Entry& entry, const StagedWrite& write, const std::function<Sha256()>& newDigest)
{
    if (write.damaged || (write.written && newDigest() != entry.newHash))
        return Result(Outcome::kFailed, Reason::kDamagedPatch, entry.name);
    if (!write.written)
        return Result(Outcome::kFailed, Reason::kCannotChange, entry.name);
    return Result(Outcome::kApplied, Reason::kNone);
}

// Tells `progress` how far staging has come, about twice a percent: the new files' bytes
// written of all of them.
class StagingProgress {
public:
    StagingProgress(const Progress& progress, uint64_t total) : progress_(progress), total_(total) {}
    void Add(uint64_t bytes)
    {
        done_ += bytes;
        if (progress_ && (done_ - reported_ >= total_ / 200 || done_ == total_)) {
            reported_ = done_;
            progress_(Step::kStaging, done_, total_);
        }
    }

private:
    const Progress& progress_;
    uint64_t total_;
    uint64_t done_ = 0;
    uint64_t reported_ = 0;
};

// A file that travels whole is decoded, hashed and written piece by piece: its size is bounded
// by the disk alone, not by the memory of a 32-bit patch program.
ApplyResult StageWholeFile(const Entry& entry, FileSystem& files, StagingProgress& staged)
{
    Hasher newHash;
    SourceReader in = ContentsOf(entry);
    const StagedWrite write = WriteStaged(entry, files, [&](const FileSystem::Sink& sink) {
        return DecodeWholeInPieces(in, entry.newSize, [&](const uint8_t* data, size_t size) {
            newHash.Update(data, size);
            staged.Add(size);
            return sink(data, size);
        });
    });
    return VerdictOn(entry, write, [&] { return newHash.Finish(); });
}

// A delta is decoded window by window (delta_windows.h), reading the ranges of the old file
// each window names; memory holds one window of each file, whatever their size. The old file's
// digest covers the whole file, so it is taken from a reading of its own on another thread
// meanwhile; the new file's digest is taken as it is written. A staged file whose digests
// disagree is removed with the rest of the staging.
ApplyResult StageDelta(const Entry& entry, FileSystem& files, StagingProgress& staged)
{
    const std::unique_ptr<ByteSource> old = files.Open(entry.name);
    if (!old)
        return Result(Outcome::kFailed, Reason::kCannotChange, entry.name);
    if (old->Size() != entry.oldSize)
        return Result(Outcome::kRefused, Reason::kFileDiffers, entry.name);
    BackgroundDigest oldHash(files.Open(entry.name));
    Hasher newHash;
    SourceReader in = ContentsOf(entry);
    DeltaResult decoded = DeltaResult::kDamaged;
    const StagedWrite write = WriteStaged(entry, files, [&](const FileSystem::Sink& sink) {
        decoded = DecodeDelta(in, *old, entry.newSize, [&](const uint8_t* data, size_t size) {
            newHash.Update(data, size);
            staged.Add(size);
            return sink(data, size);
        });
        return decoded == DeltaResult::kDecoded;
    });
    const auto oldDigest = oldHash.Finish();
    if (!oldDigest || decoded == DeltaResult::kOldUnreadable)
        return Result(Outcome::kFailed, Reason::kCannotChange, entry.name);
    if (*oldDigest != entry.oldHash)
        return Result(Outcome::kRefused, Reason::kFileDiffers, entry.name);
    if (decoded == DeltaResult::kNoMemory)
        return Result(Outcome::kFailed, Reason::kNoMemory, entry.name);
    return VerdictOn(entry, write, [&] { return newHash.Finish(); });
}

// System.ini is merged with what the launcher wrote to it, so it is checked against the bytes
// computed here rather than the digest the patch carries.
ApplyResult StageSystemIni(const Payload& payload, const Entry& entry, FileSystem& files)
{
    const auto installed = files.Read(entry.name);
    if (!installed)
        return Result(Outcome::kFailed, Reason::kCannotChange, entry.name);
    const auto text =
        SystemIniFor(payload, std::string_view(reinterpret_cast<const char*>(installed->data()), installed->size()));
    if (!text)
        return Result(Outcome::kFailed, Reason::kDamagedPatch, entry.name);
    const Bytes bytes(text->begin(), text->end());
    if (!files.Write(Staged(entry.name), bytes) ||
        files.Hash(Staged(entry.name)) != HashBytes(bytes.data(), bytes.size()))
        return Result(Outcome::kFailed, Reason::kCannotChange, entry.name);
    return Result(Outcome::kApplied, Reason::kNone);
}

// The checks; with `deferDeltas`, the old digest of a file that travels as a delta is left to
// StageDelta, which takes it while decoding.
ApplyResult CheckFolder(const Payload& payload, FileSystem& files, bool deferDeltas)
{
    const auto installed = InstalledVersion(files);
    if (installed != payload.fromVersion)
        return Result(Outcome::kRefused, Reason::kWrongVersion, installed.value_or(""));
    bool raisesVersion = false;
    uint64_t needed = 0;
    for (const Entry& entry : payload.entries) {
        switch (entry.kind) {
        case EntryKind::kChangeFile:
        case EntryKind::kRemoveFile: {
            if (!files.Exists(entry.name) || files.IsFolder(entry.name))
                return Result(Outcome::kRefused, Reason::kFileMissing, entry.name);
            // System.ini is merged, not checked.
            const bool systemIni = entry.kind == EntryKind::kChangeFile && IsSystemIni(entry.name);
            const bool unchecked = (deferDeltas && entry.method == Method::kDelta) || systemIni;
            if (!unchecked && files.Hash(entry.name) != entry.oldHash)
                return Result(Outcome::kRefused, Reason::kFileDiffers, entry.name);
            raisesVersion = raisesVersion || systemIni;
            break;
        }
        case EntryKind::kAddFile:
            if (files.Exists(entry.name))
                return Result(Outcome::kRefused, Reason::kFileInTheWay, entry.name);
            break;
        case EntryKind::kAddFolder:
            if (files.Exists(entry.name) && !files.IsFolder(entry.name))
                return Result(Outcome::kRefused, Reason::kFileInTheWay, entry.name);
            break;
        case EntryKind::kRemoveFolder:
            break;
        }
        if (HasContents(entry.kind))
            needed = needed + entry.newSize < needed ? UINT64_MAX : needed + entry.newSize;
    }
    if (!raisesVersion)
        return Result(Outcome::kRefused, Reason::kDamagedPatch, kSystemIni);
    const auto free = files.FreeSpace();
    if (free && *free < needed)
        return Result(Outcome::kFailed, Reason::kNoSpace);
    return Result(Outcome::kApplied, Reason::kNone);
}

}  // namespace

bool IsAlreadyApplied(const Payload& payload, FileSystem& files)
{
    return AlreadyApplied(payload, files);
}

ApplyResult CheckPayload(const Payload& payload, FileSystem& files)
{
    return CheckFolder(payload, files, false);
}

ApplyResult ResumeJournal(FileSystem& files)
{
    if (!files.Exists(kJournalName))
        return Result(Outcome::kApplied, Reason::kNone);
    const auto journal = ReadJournal(files);
    if (!journal)
        return Result(Outcome::kFailed, Reason::kJournalUnreadable, kJournalName);
    return Finish(*journal, files, {});
}

ApplyResult ApplyPayload(const Payload& payload, FileSystem& files, const Progress& progress)
{
    if (progress)
        progress(Step::kChecking, 0, 1);
    const ApplyResult resumed = ResumeJournal(files);
    if (resumed.outcome != Outcome::kApplied)
        return resumed;
    const Journal plan = PlanOf(payload);
    // Staged files of a run stopped before its journal was written.
    for (const Journal::Operation& op : plan.operations) {
        if (op.kind != Journal::Kind::kRemove && !files.Remove(Staged(op.name)))
            return Result(Outcome::kFailed, Reason::kCannotChange, Staged(op.name));
    }
    if (files.Remove(std::string(kJournalName) + kStagedSuffix) == false)
        return Result(Outcome::kFailed, Reason::kCannotChange, kJournalName);
    if (AlreadyApplied(payload, files))
        return Result(Outcome::kApplied, Reason::kNone);
    const ApplyResult checked = CheckFolder(payload, files, true);
    if (checked.reason != Reason::kNone)
        return checked;

    // Stage and verify every new file; any failure undoes the staging alone. Deltas go first:
    // their old files are checked as they are staged, before any other change.
    auto undoStaging = [&](const ApplyResult& why) {
        RollBack(plan, files);
        return why;
    };
    std::vector<const Entry*> deltas;
    std::vector<const Entry*> wholes;
    for (const Entry& entry : payload.entries) {
        if (HasContents(entry.kind))
            (entry.method == Method::kDelta ? deltas : wholes).push_back(&entry);
    }
    uint64_t total = 0;
    for (const auto* list : {&deltas, &wholes}) {
        for (const Entry* entry : *list)
            total += entry->newSize;
    }
    StagingProgress staging(progress, total);
    auto stageAll = [&](const std::vector<const Entry*>& entries) {
        for (const Entry* entry : entries) {
            const ApplyResult staged = IsSystemIni(entry->name) ? StageSystemIni(payload, *entry, files)
                                       : entry->method == Method::kDelta ? StageDelta(*entry, files, staging)
                                                                         : StageWholeFile(*entry, files, staging);
            if (staged.reason != Reason::kNone)
                return staged;
        }
        return Result(Outcome::kApplied, Reason::kNone);
    };
    if (const ApplyResult staged = stageAll(deltas); staged.reason != Reason::kNone)
        return undoStaging(staged);
    for (const std::string& folder : plan.createdFolders) {
        if (!files.MakeFolder(folder))
            return undoStaging(Result(Outcome::kFailed, Reason::kCannotChange, folder));
    }
    if (const ApplyResult staged = stageAll(wholes); staged.reason != Reason::kNone)
        return undoStaging(staged);
    if (!WriteJournal(files, plan))
        return undoStaging(Result(Outcome::kFailed, Reason::kCannotChange, kJournalName));
    return Finish(plan, files, progress);
}

std::string Describe(const ApplyResult& result)
{
    switch (result.reason) {
    case Reason::kNone:
        return result.outcome == Outcome::kApplied ? "applied" : "failed";
    case Reason::kWrongVersion:
        return "the game folder holds version '" + result.detail + "', not the one this patch is for";
    case Reason::kFileDiffers:
        return "'" + result.detail + "' is not the file this patch expects";
    case Reason::kFileMissing:
        return "'" + result.detail + "' is missing";
    case Reason::kFileInTheWay:
        return "'" + result.detail + "' is in the way of a new file or folder";
    case Reason::kDamagedPatch:
        return "the patch is damaged ('" + result.detail + "')";
    case Reason::kNoSpace:
        return "not enough disk space";
    case Reason::kNoMemory:
        return "not enough memory to hold '" + result.detail + "'";
    case Reason::kCannotChange:
        return result.outcome == Outcome::kApplied ? "applied, but '" + result.detail + "' could not be cleared up"
                                                   : "cannot change '" + result.detail + "'";
    case Reason::kJournalUnreadable:
        return "the journal of an earlier run is unreadable";
    }
    return "";
}

}  // namespace Kiln::Patch
