#include "monitor/monitor_views.h"

namespace qf::monitor {

std::string GButtonLabel(bool bankB, std::size_t index) {
    if (index >= kLabelledGButtons) {
        return {};
    }
    return std::string(1, bankB ? 'B' : 'A') + static_cast<char>('1' + index);
}

}  // namespace qf::monitor
