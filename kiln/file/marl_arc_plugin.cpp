#include "kiln/file/marl_arc_plugin.h"

#include "kiln/core/kiln_help.h"
#include "kiln/file/file_controler.h"

namespace Kiln {
namespace {

// Normally from the runtime's file controller; a plain file object when no runtime is up, so
// a decoder used on its own still reads instead of crashing.
IFile* NewFileObject()
{
    CKilnHelp* help = CKilnHelp::GetInstance();
    if (help && help->GetFileControler())
        return help->GetFileControler()->CreateFileObject();
    return new CFile;
}

}  // namespace

CMarlArcPlugin::CMarlArcPlugin() : file_(KilnHandle<IFile>::Adopt(NewFileObject())) {}

bool CMarlArcPlugin::IsEOF()
{
    return file_->IsEOF();
}

uint32_t CMarlArcPlugin::GetSize()
{
    return file_->GetSize();
}

uint32_t CMarlArcPlugin::GetPosition()
{
    return file_->GetPosition();
}

void CMarlArcPlugin::Seek(int offset, int origin)
{
    uint32_t target;
    if (SeekTarget(offset, origin, file_->GetPosition(), file_->GetSize(), target))
        file_->Seek(target);
}

uint32_t CMarlArcPlugin::Read(void* buffer, uint32_t elementSize, uint32_t count)
{
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t i = 0;
    for (; i < count; ++i, out += elementSize) {
        if (file_->Read(out, elementSize) < elementSize)
            break;
    }
    return i;
}

}  // namespace Kiln
