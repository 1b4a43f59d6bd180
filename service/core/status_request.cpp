#include "service/core/status_request.h"

namespace Korva::QELD {

StatusRequest::Result StatusRequest::add(std::string_view bytes) {
    if (received_.size() + bytes.size() > longest)
        return Result::Refused;
    received_ += bytes;
    const auto end = received_.find('\n');
    if (end == std::string::npos)
        return Result::Incomplete;
    if (received_ == textRequest)
        return Result::Status;
    return received_ == jsonRequest ? Result::Json : Result::Refused;
}

} // namespace Korva::QELD
