#include "kiln/sound/ds_sound_buffer.h"

#include <cstring>
#include <new>

#include "kiln/base/class_ids.h"
#include "kiln/sound/sound_fill.h"
#include "kiln/sound/sound_levels.h"
#include "kiln/sound/wav_read.h"

namespace Kiln {
namespace {

constexpr DWORD kBufferFlags = DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME | DSBCAPS_LOCSOFTWARE |
                               DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
static_assert(kBufferFlags == 0x180E8, "buffer capabilities");
static_assert(sizeof(WAVEFORMATEX) == sizeof(WaveFormat), "WaveFormat mirrors WAVEFORMATEX");

// Closes the reader on every way out of Load once it is open.
class OpenReader {
public:
    explicit OpenReader(ISoundReader& reader) : reader_(reader) {}
    ~OpenReader() { reader_.Close(); }
    OpenReader(const OpenReader&) = delete;
    OpenReader& operator=(const OpenReader&) = delete;

private:
    ISoundReader& reader_;
};

bool CreateBuffer(IDirectSound8& sound, const WaveFormat& format, DWORD bytes, ComPtr<IDirectSoundBuffer8>& result)
{
    WAVEFORMATEX wave;
    std::memcpy(&wave, &format, sizeof wave);
    DSBUFFERDESC description = {};
    description.dwSize = sizeof description;
    description.dwFlags = kBufferFlags;
    description.dwBufferBytes = bytes;
    description.lpwfxFormat = &wave;
    ComPtr<IDirectSoundBuffer> buffer;
    if (FAILED(sound.CreateSoundBuffer(&description, buffer.Receive(), nullptr)))
        return false;
    return SUCCEEDED(buffer->QueryInterface(IID_IDirectSoundBuffer8, reinterpret_cast<void**>(result.Receive())));
}

// Silence, then the sound, into the whole buffer.
bool Fill(IDirectSoundBuffer8& buffer, ISoundReader& reader, uint16_t bitsPerSample)
{
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    if (FAILED(buffer.Lock(0, 0, &first, &firstBytes, &second, &secondBytes, DSBLOCK_ENTIREBUFFER)))
        return false;
    FillSoundBuffer(first, firstBytes, bitsPerSample, reader);
    buffer.Unlock(first, firstBytes, second, secondBytes);
    return true;
}

}  // namespace

CDSSoundBuffer::CDSSoundBuffer(IKilnDS* service) : service_(KilnHandle<IKilnDS>::Retain(service)) {}

bool CDSSoundBuffer::Load(IDataStream* stream, ISoundReader* reader)
{
    // The service hands out its DirectSound object for this id, without a new reference.
    auto* sound = service_ ? reinterpret_cast<IDirectSound8*>(service_->CreateInstance(ClassId::DirectSoundObject))
                           : nullptr;
    if (!sound)
        return false;
    auto source = reader ? KilnHandle<ISoundReader>::Retain(reader)
                         : KilnHandle<ISoundReader>::Adopt(new (std::nothrow) CWavRead);
    if (!source || !source->Open(stream))
        return false;
    const OpenReader closeOnExit(*source);

    source->Rewind();
    WaveFormat format;
    source->GetFormat(format);
    const double bytes = source->GetLength() / 1000.0 * format.avgBytesPerSec;
    // DirectSound's own bounds; a sound too long for a buffer does not load.
    if (!(bytes >= DSBSIZE_MIN && bytes <= DSBSIZE_MAX))
        return false;
    const auto bufferSize = static_cast<DWORD>(bytes);
    ComPtr<IDirectSoundBuffer8> buffer;
    if (!CreateBuffer(*sound, format, bufferSize, buffer) || !Fill(*buffer.Get(), *source, format.bitsPerSample))
        return false;
    const uint32_t length = source->GetLength();
    if (length == 0)
        return false;

    buffer_ = std::move(buffer);
    format_ = format;
    bufferSize_ = bufferSize;
    length_ = length;
    loaded_ = true;
    playing_ = false;
    return true;
}

void CDSSoundBuffer::Play()
{
    if (loaded_ && !playing_ && SUCCEEDED(buffer_->Play(0, 0, 0)))
        playing_ = true;
}

void CDSSoundBuffer::Pause()
{
    if (!loaded_ || !playing_)
        return;
    buffer_->Stop();
    playing_ = false;
}

void CDSSoundBuffer::Stop()
{
    if (!loaded_ || !playing_)
        return;
    buffer_->Stop();
    buffer_->SetCurrentPosition(0);
    playing_ = false;
}

void CDSSoundBuffer::Unload()
{
    buffer_.Reset();
    playing_ = false;
    loaded_ = false;
}

uint32_t CDSSoundBuffer::GetLength()
{
    return length_;
}

uint32_t CDSSoundBuffer::GetPlayPosition() const
{
    DWORD play = 0;
    if (!loaded_ || FAILED(buffer_->GetCurrentPosition(&play, nullptr)))
        return 0;
    return play;
}

int32_t CDSSoundBuffer::GetStatus()
{
    if (!loaded_)
        return kNotLoaded;
    if (!playing_)
        return kStopped;
    DWORD status = 0;
    buffer_->GetStatus(&status);
    return (status & DSBSTATUS_PLAYING) ? kPlaying : kFinished;
}

int32_t CDSSoundBuffer::GetVolume()
{
    LONG volume = 0;
    if (!loaded_ || FAILED(buffer_->GetVolume(&volume)))
        return 0;
    return SoundLevels::VolumeFromDirectSound(volume);
}

void CDSSoundBuffer::SetVolume(int32_t volume)
{
    if (loaded_)
        buffer_->SetVolume(SoundLevels::VolumeToDirectSound(volume));
}

int32_t CDSSoundBuffer::GetPan()
{
    LONG pan = 0;
    if (!loaded_ || FAILED(buffer_->GetPan(&pan)))
        return 0;
    return SoundLevels::PanFromDirectSound(pan);
}

void CDSSoundBuffer::SetPan(int32_t pan)
{
    if (loaded_)
        buffer_->SetPan(SoundLevels::PanToDirectSound(pan));
}

int32_t CDSSoundBuffer::GetFrequency()
{
    DWORD frequency = 0;
    if (!loaded_ || FAILED(buffer_->GetFrequency(&frequency)))
        return 0;
    return SoundLevels::FrequencyFromDirectSound(format_.samplesPerSec, frequency);
}

void CDSSoundBuffer::SetFrequency(int32_t percent)
{
    // A negative rate means nothing to DirectSound; the buffer keeps its rate.
    if (loaded_ && percent >= 0)
        buffer_->SetFrequency(SoundLevels::FrequencyToDirectSound(format_.samplesPerSec, percent));
}

}  // namespace Kiln
