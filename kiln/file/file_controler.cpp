#include "kiln/file/file_controler.h"

namespace Kiln {
namespace {

std::string& RootDirectory()
{
    static std::string root;
    return root;
}

}  // namespace

const std::string& GetRootDirectory()
{
    return RootDirectory();
}

IFile* CFileControler::CreateFileObject()
{
    return new CFile;
}

void CFileControler::AddArchive(const char* path)
{
    archives_.push_back(path ? path : "");
    if (RootDirectory().empty())
        RootDirectory() = programDirectory_;
}

void CFileControler::SetRootDirectory(const char* path)
{
    RootDirectory() = path ? path : "";
}

}  // namespace Kiln
