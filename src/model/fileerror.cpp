#include "fileerror.h"

#include <cstring>

TFileError::TFileError(const std::string &action, const std::string &path, const std::string &reason)
    : std::runtime_error(action + " \"" + path + "\": " + reason), Path(path), Reason(reason)
{
}

TFileError::TFileError(TWholeMessage, const std::string &message, const std::string &path, const std::string &reason)
    : std::runtime_error(message), Path(path), Reason(reason)
{
}

TFileError TFileError::NotAFont(const std::string &path)
{
    return TFileError(TWholeMessage{}, "\"" + path + "\" is not a BDF font", path, "not a BDF font");
}

TFileError TFileError::WithMessage(const std::string &message, const std::string &path, const std::string &reason)
{
    return TFileError(TWholeMessage{}, message, path, reason);
}

std::string TFileError::SystemReason(int err)
{
    return std::strerror(err);
}
