#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

// A game folder of its own for one test: the launcher, engine fixtures and ini files, in
// <test bin>\sandbox\<name>\, recreated empty for every test.
namespace KilnTest {

// The folder of the running test program, ending in a backslash.
std::string BinDirectory();

std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);

class GameFolder {
public:
    explicit GameFolder(const std::string& name);

    // Ends in a backslash.
    const std::string& Path() const { return path_; }
    std::string PathOf(const std::string& file) const { return path_ + file; }

    // Copies a file of the test bin folder into the game folder.
    void CopyFromBin(const std::string& binFile, const std::string& asName) const;
    void AddLauncher(const std::string& asName = "Launcher.exe") const;
    // Copies of the recording engine under every engine name.
    void AddRecordingEngines() const;
    void Write(const std::string& file, const std::string& text) const;
    // A file of `size` zero bytes that takes no disk space (its end set past nothing written).
    void WriteSparse(const std::string& file, uint64_t size) const;
    std::string Read(const std::string& file) const;
    bool Exists(const std::string& file) const;

    // The text RecordEngine left ("" when no engine ran).
    std::string EngineRecord() const;

private:
    std::string path_;
};

// A started program; terminated if still running when the object goes.
class Process {
public:
    // Runs `program` with the command-line text `arguments` after the quoted program path.
    Process(const std::string& program, const std::string& arguments);
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD Id() const { return info_.dwProcessId; }
    bool Started() const { return info_.hProcess != nullptr; }
    // The exit code, or -1 when the program is still running after `timeoutMs`.
    long WaitForExit(DWORD timeoutMs = 15000);

private:
    PROCESS_INFORMATION info_ = {};
};

}  // namespace KilnTest
