#include "kiln/graphics/graphics_sine_table.h"

#include <cmath>
#include <vector>

namespace Kiln {
namespace {

std::vector<float>& Table()
{
    static std::vector<float> table;
    return table;
}

}  // namespace

void BuildGraphicsSineTable()
{
    std::vector<float>& table = Table();
    if (!table.empty())
        return;
    table.resize(kGraphicsSineTableSize);
    // The same single-precision steps as the standard service's table, so both agree.
    for (int i = 0; i < kGraphicsSineTableSize; ++i)
        table[static_cast<size_t>(i)] = std::sin(static_cast<float>(i) * 3.1415927f * 2.0f * (1.0f / 65536.0f));
}

const float* GraphicsSineTable()
{
    return Table().empty() ? nullptr : Table().data();
}

}  // namespace Kiln
