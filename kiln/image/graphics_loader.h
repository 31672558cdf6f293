#pragma once

#include "kiln/base/kiln_interface.h"
#include "kiln/base/service_interfaces.h"
#include "kiln/file/data_stream.h"
#include "kiln/file/marl_arc_plugin.h"
#include "kiln/image/std_graphics_loader.h"

namespace Kiln {

// Loads an image file through the runtime's file controller, the decoder picked by the
// name's extension. After Load, read the size and pixels through GetLoader(), then call its
// Unload and ClearLoaded() before loading the next file.
class CGraphicsLoader {
public:
    // The runtime's standard and extension services and its file controller; without the
    // standard service nothing loads, without the extension service only BMP files do.
    CGraphicsLoader(IKilnStd* std, IKilnExt* ext, IFileControler* files);
    virtual ~CGraphicsLoader() = default;
    CGraphicsLoader(const CGraphicsLoader&) = delete;
    CGraphicsLoader& operator=(const CGraphicsLoader&) = delete;

    bool Load(const char* name);

    IStdGraphicsLoader* GetLoader() const { return loader_.Get(); }
    bool IsLoaded() const { return loaded_; }
    void ClearLoaded() { loaded_ = false; }

private:
    bool loaded_ = false;
    KilnHandle<IKilnExt> ext_;
    KilnHandle<IStdGraphicsLoader> loader_;
    KilnHandle<IStdFileStream> fileStream_;  // made with the loader; reads go through stream_
    KilnHandle<CMarlArcPlugin> stream_;
};

}  // namespace Kiln
