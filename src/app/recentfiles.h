// The files the "Файл" menu offers again: the fonts and projects the user
// opened last, newest first, kept in the settings between runs.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

class QSettings;

enum class TRecentKind { Font, Project };

struct TRecentFile {
    TRecentKind Kind = TRecentKind::Font;
    // A full path (FullPath), so that two spellings of one file make one entry.
    std::string Path;
    bool operator==(const TRecentFile &) const = default;
};
using TRecentFiles = std::vector<TRecentFile>;

constexpr size_t MaxRecentFiles = 10;

// Puts path (made full) at the front with this kind; an entry for the same full
// path moves there instead of staying twice, and the oldest beyond
// MaxRecentFiles drop off. An empty path changes nothing.
void AddRecentFile(TRecentFiles &list, TRecentKind kind, const std::string &path);
// Drops the entry of this full path, if there is one.
void RemoveRecentFile(TRecentFiles &list, const std::string &path);
// Whether an entry can still be opened: a regular file is at its path.
bool RecentFileAvailable(const TRecentFile &file);
// Drops the entries that are not available.
void RemoveUnavailableFiles(TRecentFiles &list);

// The list as the settings keep it, under "RecentFiles" (an array of "path" and
// "kind", "font" or "project"). Entries with an empty path or an unknown kind,
// and those beyond MaxRecentFiles, are left out.
TRecentFiles ReadRecentFiles(QSettings &settings);
void WriteRecentFiles(QSettings &settings, const TRecentFiles &list);
