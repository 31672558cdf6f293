#include "kiln/file/marl_arc_plugin.h"

#include "kiln/file/file_controler.h"

namespace Kiln {

CMarlArcPlugin::CMarlArcPlugin(IFileControler* files)
    : file_(KilnHandle<IFile>::Adopt(files ? files->CreateFileObject() : new CFile))
{
}

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
