#include "kiln/file/file_controler.h"

#include "kiln/core/kiln_help.h"

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
    if (RootDirectory().empty()) {
        if (CKilnHelp* help = CKilnHelp::GetInstance())
            RootDirectory() = help->GetProgramDirectory();
    }
}

void CFileControler::SetRootDirectory(const char* path)
{
    RootDirectory() = path ? path : "";
}

}  // namespace Kiln
