#include "kiln/patch/journal.h"

#include <sstream>

#include "kiln/patch/names.h"

namespace Kiln::Patch {
namespace {

constexpr char kHeader[] = "kiln patch journal 1";
constexpr char kEnd[] = "end";

const char* KindWord(Journal::Kind kind)
{
    switch (kind) {
    case Journal::Kind::kAdd:
        return "add";
    case Journal::Kind::kChange:
        return "change";
    case Journal::Kind::kRemove:
        return "remove";
    }
    return "";
}

}  // namespace

std::string FormatJournal(const Journal& journal)
{
    std::string text = std::string(kHeader) + "\n";
    text += "from " + journal.fromVersion + "\n";
    text += "to " + journal.toVersion + "\n";
    text += std::string("state ") + (journal.state == Journal::State::kSwap ? "swap" : "clean") + "\n";
    for (const std::string& name : journal.createdFolders)
        text += "folder " + name + "\n";
    for (const Journal::Operation& op : journal.operations)
        text += std::string(KindWord(op.kind)) + " " + op.name + "\n";
    for (const std::string& name : journal.droppedFolders)
        text += "drop " + name + "\n";
    text += std::string(kEnd) + "\n";
    return text;
}

std::optional<Journal> ParseJournal(const std::string& text)
{
    std::istringstream in(text);
    std::string line;
    if (!std::getline(in, line) || line != kHeader)
        return std::nullopt;
    Journal journal;
    bool ended = false;
    bool haveState = false;
    while (std::getline(in, line)) {
        if (ended)
            return std::nullopt;
        if (line == kEnd) {
            ended = true;
            continue;
        }
        const size_t space = line.find(' ');
        if (space == std::string::npos)
            return std::nullopt;
        const std::string word = line.substr(0, space);
        const std::string rest = line.substr(space + 1);
        if (word == "from") {
            journal.fromVersion = rest;
            continue;
        }
        if (word == "to") {
            journal.toVersion = rest;
            continue;
        }
        if (word == "state") {
            if (rest != "swap" && rest != "clean")
                return std::nullopt;
            journal.state = rest == "swap" ? Journal::State::kSwap : Journal::State::kClean;
            haveState = true;
            continue;
        }
        if (!IsSafeRelativeName(rest))
            return std::nullopt;
        if (word == "folder")
            journal.createdFolders.push_back(rest);
        else if (word == "drop")
            journal.droppedFolders.push_back(rest);
        else if (word == "add")
            journal.operations.push_back({Journal::Kind::kAdd, rest});
        else if (word == "change")
            journal.operations.push_back({Journal::Kind::kChange, rest});
        else if (word == "remove")
            journal.operations.push_back({Journal::Kind::kRemove, rest});
        else
            return std::nullopt;
    }
    if (!ended || !haveState)
        return std::nullopt;
    return journal;
}

}  // namespace Kiln::Patch
