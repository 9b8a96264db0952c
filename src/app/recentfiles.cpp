#include "recentfiles.h"

#include "bdf/paths.h"

#include <QSettings>

#include <algorithm>

namespace {

const char *const KindNames[] = {"font", "project"};

} // namespace

void AddRecentFile(TRecentFiles &list, TRecentKind kind, const std::string &path)
{
    if (path.empty())
        return;
    const std::string full = FullPath(path);
    RemoveRecentFile(list, full);
    list.insert(list.begin(), TRecentFile{kind, full});
    if (list.size() > MaxRecentFiles)
        list.resize(MaxRecentFiles);
}

void RemoveRecentFile(TRecentFiles &list, const std::string &path)
{
    std::erase_if(list, [&](const TRecentFile &f) { return f.Path == path; });
}

bool RecentFileAvailable(const TRecentFile &file)
{
    return IsRegularFile(file.Path);
}

void RemoveUnavailableFiles(TRecentFiles &list)
{
    std::erase_if(list, [](const TRecentFile &f) { return !RecentFileAvailable(f); });
}

TRecentFiles ReadRecentFiles(QSettings &settings)
{
    TRecentFiles list;
    const int size = settings.beginReadArray(QStringLiteral("RecentFiles"));
    for (int i = 0; i < size && list.size() < MaxRecentFiles; ++i) {
        settings.setArrayIndex(i);
        // Paths that are not UTF-8 are kept as bytes, so they come back unchanged.
        const QByteArray path = settings.value(QStringLiteral("path")).toByteArray();
        const QString kind = settings.value(QStringLiteral("kind")).toString();
        for (TRecentKind k : {TRecentKind::Font, TRecentKind::Project})
            if (!path.isEmpty() && kind == QLatin1String(KindNames[int(k)]))
                list.push_back({k, path.toStdString()});
    }
    settings.endArray();
    return list;
}

void WriteRecentFiles(QSettings &settings, const TRecentFiles &list)
{
    settings.remove(QStringLiteral("RecentFiles"));
    settings.beginWriteArray(QStringLiteral("RecentFiles"), int(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
        settings.setArrayIndex(int(i));
        const QByteArray bytes = QByteArray::fromStdString(list[i].Path);
        const QString text = QString::fromUtf8(bytes);
        // Readable text where it is the same bytes; the bytes themselves otherwise.
        if (text.toUtf8() == bytes)
            settings.setValue(QStringLiteral("path"), text);
        else
            settings.setValue(QStringLiteral("path"), bytes);
        settings.setValue(QStringLiteral("kind"), QLatin1String(KindNames[int(list[i].Kind)]));
    }
    settings.endArray();
}
