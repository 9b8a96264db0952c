// A file that could not be read or written: carries the path and the system's reason.
#pragma once

#include <stdexcept>
#include <string>

class TFileError : public std::runtime_error {
public:
    // action: what was attempted, e.g. "Cannot open file" or "Cannot write file".
    // The message reads: action "path": reason.
    TFileError(const std::string &action, const std::string &path, const std::string &reason);

    // A file that was read but holds no font: "path" is not a BDF font.
    static TFileError NotAFont(const std::string &path);
    // The whole message given, for callers with wording of their own.
    static TFileError WithMessage(const std::string &message, const std::string &path, const std::string &reason);

    const std::string &path() const { return Path; }
    const std::string &reason() const { return Reason; }

    // The reason text of an errno value.
    static std::string SystemReason(int err);

private:
    struct TWholeMessage {};
    TFileError(TWholeMessage, const std::string &message, const std::string &path, const std::string &reason);

    std::string Path;
    std::string Reason;
};
