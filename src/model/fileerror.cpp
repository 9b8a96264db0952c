#include "fileerror.h"

#include <cstring>

TFileError::TFileError(const std::string &action, const std::string &path, const std::string &reason)
    : std::runtime_error(action + " \"" + path + "\": " + reason), Path(path), Reason(reason)
{
}

std::string TFileError::SystemReason(int err)
{
    return std::strerror(err);
}
