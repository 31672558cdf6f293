#include "kiln/patch/folder_compare.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <system_error>

#include "kiln/patch/names.h"

namespace fs = std::filesystem;

namespace Kiln::Patch {
namespace {

template <class T>
std::optional<T> Fail(std::string* error, const std::string& why)
{
    if (error)
        *error = why;
    return std::nullopt;
}

bool SameBytes(const fs::path& a, const fs::path& b, bool& readable)
{
    std::ifstream x(a, std::ios::binary);
    std::ifstream y(b, std::ios::binary);
    readable = x.good() && y.good();
    if (!readable)
        return false;
    std::vector<char> p(1 << 16);
    std::vector<char> q(1 << 16);
    while (true) {
        x.read(p.data(), static_cast<std::streamsize>(p.size()));
        y.read(q.data(), static_cast<std::streamsize>(q.size()));
        const auto n = x.gcount();
        if (n != y.gcount() || !std::equal(p.begin(), p.begin() + n, q.begin()))
            return false;
        if (n == 0 || !x || !y)
            return x.eof() && y.eof();
    }
}

size_t Depth(const std::string& name)
{
    return static_cast<size_t>(std::count(name.begin(), name.end(), '/'));
}

}  // namespace

fs::path PathOf(const fs::path& root, const std::string& name)
{
    return root / fs::u8path(name);
}

std::optional<std::map<std::u16string, ListedItem>> ListFolder(const fs::path& root, std::string* error,
                                                               const LeaveOut* leaveOut, std::vector<LeftOut>* leftOut)
{
    std::map<std::u16string, ListedItem> items;
    std::error_code code;
    fs::recursive_directory_iterator it(root, code);
    if (code)
        return Fail<std::map<std::u16string, ListedItem>>(error, "cannot read the folder " + root.u8string());
    for (; it != fs::recursive_directory_iterator(); it.increment(code)) {
        if (code)
            break;
        ListedItem item;
        item.name = it->path().lexically_relative(root).generic_u8string();
        item.folder = it->is_directory(code);
        if (!item.folder)
            item.size = it->file_size(code);
        if (code)
            break;
        if (leaveOut) {
            if (auto why = leaveOut->Why(item.name, item.folder, item.size, it->path())) {
                if (item.folder)
                    it.disable_recursion_pending();
                if (leftOut)
                    leftOut->push_back({item.name, std::move(*why)});
                continue;
            }
        }
        const std::u16string key = FoldedName(item.name);
        if (key.empty() || !IsSafeRelativeName(item.name))
            return Fail<std::map<std::u16string, ListedItem>>(error, "unusable file name: " + item.name);
        const auto [place, added] = items.emplace(key, item);
        if (!added)
            return Fail<std::map<std::u16string, ListedItem>>(
                error, "'" + place->second.name + "' and '" + item.name + "' are one name on Windows");
    }
    if (code)
        return Fail<std::map<std::u16string, ListedItem>>(error, "cannot read the folder " + root.u8string());
    return items;
}

std::optional<FolderDiff> CompareFolders(const fs::path& oldRoot, const fs::path& newRoot, std::string* error,
                                         const LeaveOut* leaveOut)
{
    std::vector<LeftOut> newLeftOut;
    std::vector<LeftOut> oldLeftOut;
    const auto newItems = ListFolder(newRoot, error, leaveOut, &newLeftOut);
    if (!newItems)
        return std::nullopt;
    const auto oldItems = ListFolder(oldRoot, error, leaveOut, &oldLeftOut);
    if (!oldItems)
        return std::nullopt;
    FolderDiff diff;
    diff.leftOut = std::move(newLeftOut);
    std::set<std::u16string> named;
    for (const LeftOut& item : diff.leftOut)
        named.insert(FoldedName(item.name));
    for (LeftOut& item : oldLeftOut) {
        if (named.insert(FoldedName(item.name)).second)
            diff.leftOut.push_back(std::move(item));
    }
    for (const auto& [key, item] : *newItems) {
        const auto old = oldItems->find(key);
        if (old != oldItems->end() && old->second.folder != item.folder)
            return Fail<FolderDiff>(error, "'" + item.name + "' is a file in one folder and a folder in the other");
        if (item.folder) {
            if (old == oldItems->end())
                diff.addedFolders.push_back(item.name);
            continue;
        }
        if (old == oldItems->end()) {
            diff.addedFiles.push_back(item.name);
            continue;
        }
        bool readable = true;
        const bool same = old->second.size == item.size &&
                          SameBytes(PathOf(oldRoot, old->second.name), PathOf(newRoot, item.name), readable);
        if (!readable && old->second.size == item.size)
            return Fail<FolderDiff>(error, "cannot read '" + item.name + "'");
        if (!same)
            diff.changedFiles.push_back(item.name);
    }
    for (const auto& [key, item] : *oldItems) {
        if (newItems->count(key) != 0)
            continue;
        (item.folder ? diff.removedFolders : diff.removedFiles).push_back(item.name);
    }
    std::sort(diff.leftOut.begin(), diff.leftOut.end(),
              [](const LeftOut& a, const LeftOut& b) { return a.name < b.name; });
    std::stable_sort(diff.addedFolders.begin(), diff.addedFolders.end(),
                     [](const std::string& a, const std::string& b) { return Depth(a) < Depth(b); });
    std::stable_sort(diff.removedFolders.begin(), diff.removedFolders.end(),
                     [](const std::string& a, const std::string& b) { return Depth(a) > Depth(b); });
    return diff;
}

}  // namespace Kiln::Patch
