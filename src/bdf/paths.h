// Paths as the program keeps them: a file is named by an absolute path from the
// moment it is opened, so nothing depends on the working folder later.
#pragma once

#include <string>

// path itself when it starts with "/", else joined to the working folder of this
// moment. "." parts and doubled slashes are dropped; ".." parts are kept, since a
// symbolic link may stand before them. An empty path stays empty.
std::string AbsolutePath(const std::string &path);

// path with its folder's links and ".." parts resolved when that folder exists
// (the file itself may be a link, and stays one), else AbsolutePath(path). This
// is how an opened file is named from then on.
std::string FullPath(const std::string &path);

// The folder part of a path: "/a/b.bdf" gives "/a", "/b" gives "/", "b.bdf" gives ".".
std::string FolderOf(const std::string &path);

// Whether a and b name the same file: the same device and inode when both exist,
// otherwise the same absolute text.
bool SameFile(const std::string &a, const std::string &b);

// File tests, one meaning each. Links are followed except by NameTaken.
// Something is at path (a file, folder, device...).
bool PathExists(const std::string &path);
// The name is in use, even by a link that leads nowhere: creating path would clash.
bool NameTaken(const std::string &path);
// A regular file is at path.
bool IsRegularFile(const std::string &path);
// A regular file is at path and this user may run it.
bool IsExecutableFile(const std::string &path);

// The file name part of a path: the text after its last "/" ("/a/b.bdf" gives "b.bdf").
std::string FileNameOnly(const std::string &path);

// The path of the existing folder `folder` with every link resolved, or
// AbsolutePath(folder) when it cannot be resolved.
std::string CanonicalFolder(const std::string &folder);
