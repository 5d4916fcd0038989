#include "LineSource.h"

namespace zelcli {

std::optional<std::string> StreamLineSource::ReadLine(const std::string& prompt) {
    if (prompt_ != nullptr) *prompt_ << prompt << std::flush;
    std::string line;
    if (!std::getline(in_, line)) {
        if (prompt_ != nullptr) *prompt_ << '\n' << std::flush;
        return std::nullopt;
    }
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return line;
}

}  // namespace zelcli
