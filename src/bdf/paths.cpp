#include "paths.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

std::string AbsolutePath(const std::string &path)
{
    if (path.empty())
        return path;
    std::string joined;
    if (path[0] != '/') {
        std::string cwd(PATH_MAX, '\0');
        while (!::getcwd(cwd.data(), cwd.size())) {
            if (errno != ERANGE)
                return path;
            cwd.resize(cwd.size() * 2);
        }
        joined.assign(cwd.c_str());
        joined.push_back('/');
    }
    joined += path;

    std::string out;
    out.reserve(joined.size());
    size_t i = 0;
    while (i < joined.size()) {
        while (i < joined.size() && joined[i] == '/')
            ++i;
        const size_t end = std::min(joined.find('/', i), joined.size());
        const std::string_view part(joined.data() + i, end - i);
        if (!part.empty() && part != ".")
            out.append(1, '/').append(part);
        i = end;
    }
    return out.empty() ? "/" : out;
}

std::string FullPath(const std::string &path)
{
    if (path.empty())
        return path;
    const std::string absolute = AbsolutePath(path);
    const std::string folder = CanonicalFolder(FolderOf(absolute));
    return (folder == "/" ? "" : folder) + absolute.substr(absolute.find_last_of('/'));
}

std::string FolderOf(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool PathExists(const std::string &path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

bool NameTaken(const std::string &path)
{
    struct stat st {};
    return !path.empty() && ::lstat(path.c_str(), &st) == 0;
}

bool IsRegularFile(const std::string &path)
{
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool IsExecutableFile(const std::string &path)
{
    return IsRegularFile(path) && ::access(path.c_str(), X_OK) == 0;
}

std::string FileNameOnly(const std::string &path)
{
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool SameFile(const std::string &a, const std::string &b)
{
    struct stat sa {}, sb {};
    if (::stat(a.c_str(), &sa) == 0 && ::stat(b.c_str(), &sb) == 0)
        return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
    return AbsolutePath(a) == AbsolutePath(b);
}

std::string CanonicalFolder(const std::string &folder)
{
    if (char *real = ::realpath(folder.c_str(), nullptr)) {
        std::string out(real);
        std::free(real);
        return out;
    }
    return AbsolutePath(folder);
}
