#include "kiln/base/profile.h"

namespace Kiln::Profile {

std::vector<std::string> ReadNumberedList(const std::function<std::string(int)>& read)
{
    std::vector<std::string> values;
    for (int number = 1; number <= kMaxListEntries; ++number) {
        std::string value = read(number);
        if (value.empty() || value == "end")
            break;
        values.push_back(std::move(value));
    }
    return values;
}

}  // namespace Kiln::Profile
