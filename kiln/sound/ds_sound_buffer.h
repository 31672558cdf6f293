#pragma once

#include <windows.h>
#include <dsound.h>

#include <cstdint>

#include "kiln/base/kiln_interface.h"
#include "kiln/base/scoped_win.h"
#include "kiln/file/data_stream.h"
#include "kiln/sound/kiln_ds.h"
#include "kiln/sound/sound_reader.h"

namespace Kiln {

// A whole sound decoded into one DirectSound secondary buffer, played once on request.
// Volume, pan and frequency are in percent (see SoundLevels).
class CDSSoundBuffer : public RefCounted<IKilnInterface> {
public:
    explicit CDSSoundBuffer(IKilnDS* service);

    virtual void Play();
    // Stops where it is; Play goes on from there.
    virtual void Pause();
    // Stops and goes back to the start.
    virtual void Stop();
    virtual void Unload();
    // Milliseconds.
    virtual uint32_t GetLength();
    virtual int32_t GetVolume();
    virtual int32_t GetPan();
    virtual int32_t GetFrequency();
    // Without a reader the stream is read as a WAV file. Needs the service initialised for a
    // window. On failure the buffer keeps what it had.
    virtual bool Load(IDataStream* stream, ISoundReader* reader);
    // 4 not loaded, 0 not playing, 1 playing, 3 played to its end (until Stop or Pause).
    virtual int32_t GetStatus();
    virtual void SetVolume(int32_t volume);
    virtual void SetPan(int32_t pan);
    virtual void SetFrequency(int32_t percent);

    // Bytes of the DirectSound buffer: the length in seconds x bytes per second.
    uint32_t GetBufferSize() const { return bufferSize_; }
    // Byte offset of the play cursor in the buffer; 0 when nothing is loaded.
    uint32_t GetPlayPosition() const;

    enum Status : int32_t { kStopped = 0, kPlaying = 1, kFinished = 3, kNotLoaded = 4 };

private:
    bool loaded_ = false;
    bool playing_ = false;
    KilnHandle<IKilnDS> service_;
    uint32_t bufferSize_ = 0;
    uint32_t length_ = 0;
    ComPtr<IDirectSoundBuffer8> buffer_;
    WaveFormat format_{};
};

}  // namespace Kiln
