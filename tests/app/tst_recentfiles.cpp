// The recent files: the list's rules and how the settings keep it.
#include "app/recentfiles.h"

#include <QDir>
#include <QSettings>
#include <QtTest>

class TstRecentFiles : public QObject {
    Q_OBJECT
private slots:
    void listRules_data();
    void listRules();
    void settingsKeepPathsAndKinds();
};

void TstRecentFiles::listRules_data()
{
    // The list before (paths, all fonts), the path added, the list after.
    QTest::addColumn<QStringList>("before");
    QTest::addColumn<QString>("added");
    QTest::addColumn<QStringList>("after");
    QStringList ten;
    for (int i = 0; i < 10; ++i)
        ten << QString("/f/%1.bdf").arg(i);
    QTest::newRow("newest-first") << QStringList{"/f/a.bdf"} << "/f/b.bdf" << QStringList{"/f/b.bdf", "/f/a.bdf"};
    QTest::newRow("reopened-moves-to-front") << QStringList{"/f/a.bdf", "/f/b.bdf", "/f/c.bdf"} << "/f/b.bdf"
                                             << QStringList{"/f/b.bdf", "/f/a.bdf", "/f/c.bdf"};
    QTest::newRow("another-spelling-is-the-same-file")
        << QStringList{"/f/a.bdf", "/f/b.bdf"} << "/f//./b.bdf" << QStringList{"/f/b.bdf", "/f/a.bdf"};
    QTest::newRow("eleventh-drops-the-oldest") << ten << "/f/new.bdf" << (QStringList{"/f/new.bdf"} + ten.mid(0, 9));
    QTest::newRow("relative-path-made-full")
        << QStringList{} << "a.bdf" << QStringList{QDir::current().absoluteFilePath("a.bdf")};
    QTest::newRow("empty-path-ignored") << QStringList{"/f/a.bdf"} << "" << QStringList{"/f/a.bdf"};
}

void TstRecentFiles::listRules()
{
    QFETCH(QStringList, before);
    QFETCH(QString, added);
    QFETCH(QStringList, after);
    TRecentFiles list;
    for (const QString &p : before)
        list.push_back({TRecentKind::Font, p.toStdString()});
    AddRecentFile(list, TRecentKind::Font, added.toStdString());
    QStringList got;
    for (const TRecentFile &f : list)
        got << QString::fromStdString(f.Path);
    QCOMPARE(got, after);
}

void TstRecentFiles::settingsKeepPathsAndKinds()
{
    const TRecentFiles list{{TRecentKind::Project, "/f/p.bitloom"}, {TRecentKind::Font, "/f/Fon\xE9.bdf"}};
    {
        QSettings settings;
        WriteRecentFiles(settings, list);
        // A hand-edited entry of no known kind is left out when read.
        settings.setValue("RecentFiles/3/path", "/f/x.bdf");
        settings.setValue("RecentFiles/3/kind", "picture");
        settings.setValue("RecentFiles/size", 3);
    }
    QSettings settings;
    QCOMPARE(settings.value("RecentFiles/1/path").toString(), QString("/f/p.bitloom"));
    QVERIFY(ReadRecentFiles(settings) == list);
}

int main(int argc, char **argv)
{
    // Settings of its own: the list is read and written by every window made here.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    TstRecentFiles test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_recentfiles.moc"
