#include "folders.h"

#include "bdf/paths.h"
#include "textconv.h"

#include <QCoreApplication>
#include <QFile>
#include <QSettings>

#include <cstdlib>

std::string ExecutableFolder()
{
    return PathFromQ(QCoreApplication::applicationDirPath());
}

std::string FolderHolding(const std::vector<std::string> &folders, const std::string &fileName)
{
    for (const std::string &folder : folders)
        if (!folder.empty() && IsRegularFile(folder + "/" + fileName))
            return folder;
    return {};
}

std::string CompilerFolderFromEnvironment()
{
    const char *named = std::getenv(CompilerFolderVariable);
    return named ? AbsolutePath(named) : "";
}

namespace {

// The window's own settings (its organisation and application names), also when
// read by the command line, which runs without them set.
QSettings CompilerSettings()
{
    return QSettings(QStringLiteral("Bitloom"), QStringLiteral("Bitloom"));
}

const QString CompilerFolderKey = QStringLiteral("Compiler/folder");

} // namespace

std::string RememberedCompilerFolder()
{
    return PathFromQ(CompilerSettings().value(CompilerFolderKey).toString());
}

void RememberCompilerFolder(const std::string &folder)
{
    QSettings settings = CompilerSettings();
    settings.setValue(CompilerFolderKey, PathToQ(folder));
}

std::string ResolveCompilerFolder(const std::string &named, const std::string &programFolder)
{
    // Absolute, since the compiler is started by its path from inside the folder.
    if (!named.empty())
        return AbsolutePath(named);
    const std::string environment = CompilerFolderFromEnvironment();
    if (!environment.empty())
        return environment;
    return FolderHolding({programFolder, RememberedCompilerFolder()}, CompilerFileName);
}

