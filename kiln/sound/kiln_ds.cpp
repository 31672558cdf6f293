#include "kiln/sound/kiln_ds.h"

#include <new>

#include "kiln/base/class_ids.h"
#include "kiln/sound/ds_sound_buffer.h"

namespace Kiln {

CKilnDS::~CKilnDS()
{
    Shutdown();
}

IKilnInterface* CKilnDS::CreateInstance(const Guid& classId)
{
    // The DirectSound object itself, without a new reference, for callers that know what
    // they get. The media streams are not part of this program.
    if (classId == ClassId::DirectSoundObject)
        return reinterpret_cast<IKilnInterface*>(sound_.Get());
    if (classId == ClassId::DSSoundBuffer)
        return new (std::nothrow) CDSSoundBuffer(this);
    return nullptr;
}

bool CKilnDS::Initialize(HWND window)
{
    if (sound_)
        return false;
    if (FAILED(::DirectSoundCreate8(nullptr, sound_.Receive(), nullptr)))
        return false;
    window_ = window;
    sound_->SetCooperativeLevel(window, DSSCL_PRIORITY);

    DSBUFFERDESC description = {};
    description.dwSize = sizeof description;
    description.dwFlags = DSBCAPS_PRIMARYBUFFER;
    ComPtr<IDirectSoundBuffer> primary;
    if (SUCCEEDED(sound_->CreateSoundBuffer(&description, primary.Receive(), nullptr))) {
        WAVEFORMATEX format = {};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 2;
        format.nSamplesPerSec = 44100;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 4;
        format.nAvgBytesPerSec = 176400;
        primary->SetFormat(&format);
    }
    return true;
}

void CKilnDS::Shutdown()
{
    if (!sound_)
        return;
    sound_->SetCooperativeLevel(window_, DSSCL_NORMAL);
    sound_.Reset();
    window_ = nullptr;
}

}  // namespace Kiln
