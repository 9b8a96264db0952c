// The project file and the typeface rules, without a window.
#include "compiler/jpegpicture.h"
#include "compiler/project.h"
#include "model/fileerror.h"

#include <QtTest>

#include "common/testjpeg.h"


namespace {

std::string_view View(const QByteArray &b)
{
    return std::string_view(b.constData(), static_cast<size_t>(b.size()));
}

QByteArray Text(const std::string &s)
{
    return QByteArray::fromStdString(s);
}

TTypeface Face(const std::string &name, const std::string &type, std::vector<std::string> fonts,
               std::string comments = {}, int32_t x = 0, int32_t y = 0, int32_t xoff = 0, int32_t yoff = 0)
{
    TTypeface t;
    t.Name = name;
    t.Type = type;
    t.FontFiles = std::move(fonts);
    t.Comments = std::move(comments);
    t.FontBoundingBox1 = x;
    t.FontBoundingBox2 = y;
    t.FontBoundingBox3 = xoff;
    t.FontBoundingBox4 = yoff;
    return t;
}


} // namespace

class TstProject : public QObject {
    Q_OBJECT
private slots:
    void readsInFileOrderWithDefaults();
    void namesIgnoreLetterCase();
    void integers_data();
    void integers();
    void newFileLayout();
    void saveOverLargerFileKeepsOnlyCurrentEntries();
    void handWrittenKeysSurvive();
    void savesKeepWhatTheyDoNotOwn_data();
    void savesKeepWhatTheyDoNotOwn();
    void emptyFontListWritesNoSection();
    void bytesKeptAsTheyAre();
    void comments_data();
    void comments();
    void plainCommentWrittenAsBefore();
    void nameProblems_data();
    void nameProblems();
    void picturePath_data();
    void picturePath();
    void fontPathsResolveBesideTheProject();
    void fontPathTexts_data();
    void fontPathTexts();
    void moveTargets();
    void whatLooksLikeAProject_data();
    void whatLooksLikeAProject();
    void jpegDecodes_data();
    void jpegDecodes();
    void jpegRefusals_data();
    void jpegRefusals();
};

void TstProject::readsInFileOrderWithDefaults()
{
    const QByteArray text = "[Typefaces]\r\n2=b\r\n1=a\r\nTitle=not an entry\r\n-1=not either\r\n"
                            "[b]\r\nType=System\r\n2=FontB\r\n1=FontA\r\nFontBoundingBox4=-2\r\n"
                            "[a]\r\n3=\r\n"
                            "[FontFiles]\r\n1=/f/one.bdf\r\nx=/f/skipped.bdf\r\n";
    const TProjectFile p = ParseProject(View(text));
    QCOMPARE(p.Typefaces.size(), size_t(2));
    QVERIFY(p.Typefaces[0] == Face("b", "System", {"FontB", "FontA"}, "", 0, 0, 0, -2));
    // A missing type is "?"; an entry with an empty value is an empty entry.
    QVERIFY(p.Typefaces[1] == Face("a", "?", {""}));
    QCOMPARE(p.FontFiles, std::vector<std::string>{"/f/one.bdf"});
    QCOMPARE(p.CollectionUid, 0);
    QVERIFY(ParseProject("") == TProjectFile{});
    QVERIFY(ParseProject(View(QByteArray("\x89PNG\r\n\x1a\n\0\0", 10))) == TProjectFile{});
}

void TstProject::namesIgnoreLetterCase()
{
    const TProjectFile p = ParseProject("[TYPEFACES]\n1=Bold\n[bold]\ntype=Serif\nFONTBOUNDINGBOX1=7\n[common]\ncollectionuid=5\n");
    QCOMPARE(p.Typefaces.size(), size_t(1));
    QCOMPARE(p.Typefaces[0].Type, std::string("Serif"));
    QCOMPARE(p.Typefaces[0].FontBoundingBox1, 7);
    QCOMPARE(p.CollectionUid, 5);
}

void TstProject::integers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("decimal") << "12" << 12;
    QTest::newRow("negative") << "-12" << -12;
    QTest::newRow("hex-0x") << "0x1F" << 31;
    QTest::newRow("hex-dollar") << "$FF" << 255;
    QTest::newRow("bare-0x-is-default") << "0x" << 0;
    QTest::newRow("x-prefix-is-default") << "x1F" << 0;
    QTest::newRow("text-is-default") << "abc" << 0;
    QTest::newRow("fraction-is-default") << "1.5" << 0;
}

void TstProject::integers()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    const TProjectFile p = ParseProject(("[Common]\nKPixelAspectRatio=" + text + "\n").toStdString());
    QCOMPARE(p.KPixelAspectRatio, value);
}

void TstProject::newFileLayout()
{
    TProjectFile p;
    p.FontFiles = {"/f/a.bdf", "b.bdf"};
    p.CollectionUid = 7;
    p.KPixelAspectRatio = -1;
    p.Debug = 1;
    p.Typefaces = {Face("tf_1", "Proportional", {"A", "B"}, "note", 8, 12, 0, -2), Face("Bold", "Serif", {})};
    const QByteArray text = Text(UpdateProject("", p));
    // Blank lines carry no meaning; the lines that do stand in this order.
    QByteArray lines = text;
    while (lines.contains("\r\n\r\n"))
        lines.replace("\r\n\r\n", "\r\n");
    QCOMPARE(lines, QByteArray("[FontFiles]\r\n1=/f/a.bdf\r\n2=b.bdf\r\n"
                               "[Common]\r\nCollectionUid=7\r\nKPixelAspectRatio=-1\r\n"
                               "[Typefaces]\r\n1=tf_1\r\n2=Bold\r\n"
                               "[tf_1]\r\nType=Proportional\r\nComments=note\r\nFontBoundingBox1=8\r\n"
                               "FontBoundingBox2=12\r\nFontBoundingBox3=0\r\nFontBoundingBox4=-2\r\n1=A\r\n2=B\r\n"
                               "[Bold]\r\nType=Serif\r\nComments=\r\nFontBoundingBox1=0\r\nFontBoundingBox2=0\r\n"
                               "FontBoundingBox3=0\r\nFontBoundingBox4=0\r\n"));
    // Saving again over the same file changes nothing.
    QCOMPARE(Text(UpdateProject(View(text), p)), text);
    // Debug is never written; everything else reads back.
    TProjectFile back = ParseProject(View(text));
    QCOMPARE(back.Debug, 0);
    back.Debug = 1;
    QVERIFY(back == p);
}

void TstProject::saveOverLargerFileKeepsOnlyCurrentEntries()
{
    TProjectFile big;
    big.FontFiles = {"1.bdf", "2.bdf", "3.bdf", "4.bdf", "5.bdf"};
    for (const char *n : {"A", "B", "C", "D"})
        big.Typefaces.push_back(Face(n, "System", {"x", "y"}));
    const std::string old = UpdateProject("", big);

    TProjectFile small;
    small.FontFiles = {"1.bdf", "2.bdf", "3.bdf"};
    small.Typefaces = {Face("D", "Serif", {"z"}), Face("A", "System", {})};
    const std::string saved = UpdateProject(old, small);
    const TProjectFile back = ParseProject(saved);
    QCOMPARE(back.FontFiles, small.FontFiles);
    QCOMPARE(back.Typefaces.size(), size_t(2));
    QVERIFY(back.Typefaces[0] == small.Typefaces[0]);
    QVERIFY(back.Typefaces[1] == small.Typefaces[1]);
    // The sections of the typefaces no longer listed stay as they were.
    QVERIFY(Text(saved).contains("[B]\r\nType=System"));
}

void TstProject::handWrittenKeysSurvive()
{
    const QByteArray old = "; made by hand\r\n[Common]\r\nDebug=1\r\nCollectionUid=1\r\n[Extra]\r\nkeep=me\r\n";
    TProjectFile p;
    p.CollectionUid = 9;
    const QByteArray saved = Text(UpdateProject(View(old), p));
    QVERIFY(saved.contains("; made by hand"));
    QVERIFY(saved.contains("Debug=1"));
    QVERIFY(saved.contains("[Extra]\r\nkeep=me"));
    QCOMPARE(ParseProject(View(saved)).Debug, 1);
    QCOMPARE(ParseProject(View(saved)).CollectionUid, 9);
    // The sections stay in their order: Common before Extra.
    QVERIFY(saved.indexOf("[Common]") < saved.indexOf("[Extra]"));
    QVERIFY(!Text(UpdateProject("", p)).contains("Debug"));
}

void TstProject::savesKeepWhatTheyDoNotOwn_data()
{
    QTest::addColumn<QByteArray>("text");
    // Bytes that every save keeps as they stand; empty when the text is refused.
    QTest::addColumn<QByteArray>("kept");
    // The line a refusal names.
    QTest::addColumn<int>("brokenLine");
    const QByteArray common = "[Common]\r\nCollectionUid=5\r\n";
    QTest::newRow("section-without-bracket") << QByteArray("[FontFiles]\r\n1=a.bdf\r\n[Common\r\nCollectionUid=5\r\n") << QByteArray() << 3;
    QTest::newRow("bom-before-a-later-section") << QByteArray("\r\n\xEF\xBB\xBF[Common]\r\nCollectionUid=5\r\n") << QByteArray() << 2;
    QTest::newRow("comment-after-last-key") << common + "; the end\r\n" << QByteArray("; the end\r\n") << 0;
    QTest::newRow("comment-keeps-blank-ends") << "  ; note  \r\n" + common << QByteArray("  ; note  \r\n") << 0;
    QTest::newRow("comment-in-rewritten-section") << "[Typefaces]\r\n; the list\r\n1=A\r\n" + common
                                                  << QByteArray("[Typefaces]\r\n; the list\r\n") << 0;
    QTest::newRow("bom-after-blanks-on-a-key") << " \r\n\xEF\xBB\xBFkey=1\r\n" + common << QByteArray(" \r\n\xEF\xBB\xBFkey=1\r\n") << 0;
    QTest::newRow("lf-lines-of-other-sections") << common + "[Extra]\nkeep = me \n\n" << QByteArray("[Extra]\nkeep = me \n\n") << 0;
}

void TstProject::savesKeepWhatTheyDoNotOwn()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, kept);
    QFETCH(int, brokenLine);
    if (brokenLine > 0) {
        // Refused when opened and when saved into, naming the line.
        QTemporaryDir dir;
        const QString path = dir.filePath("p.bitloom");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(text) == text.size());
        f.close();
        const QString line = "line " + QString::number(brokenLine);
        try {
            OpenProjectFile(path.toStdString());
            QFAIL("opened");
        } catch (const TFileError &e) {
            QVERIFY2(QString::fromStdString(e.what()).contains(line), e.what());
            QVERIFY2(QString::fromStdString(e.what()).contains(path), e.what());
        }
        try {
            UpdateProject(View(text), TProjectFile{});
            QFAIL("saved");
        } catch (const TFileError &e) {
            QVERIFY2(QString::fromStdString(e.what()).contains(line), e.what());
        }
        return;
    }
    const TProjectFile p = ParseProject(View(text));
    QCOMPARE(p.CollectionUid, 5);
    const QByteArray once = Text(UpdateProject(View(text), p));
    QVERIFY(once.contains(kept));
    QVERIFY(ParseProject(View(once)) == p);
    QCOMPARE(Text(UpdateProject(View(once), ParseProject(View(once)))), once);
}

void TstProject::emptyFontListWritesNoSection()
{
    TProjectFile p;
    p.FontFiles = {"a.bdf"};
    const std::string withFonts = UpdateProject("", p);
    p.FontFiles.clear();
    const QByteArray saved = Text(UpdateProject(withFonts, p));
    QVERIFY(!saved.contains("FontFiles"));
    QVERIFY(ParseProject(View(saved)).FontFiles.empty());
}

void TstProject::bytesKeptAsTheyAre()
{
    TProjectFile p;
    p.FontFiles = {"/f/\xE9t\xE9.bdf", "/f/шрифт.bdf"};
    p.Typefaces = {Face("Fon\xE9", "Serif", {"-Misc-\xFF"}, "\xC0 comment")};
    const std::string saved = UpdateProject("", p);
    QVERIFY(Text(saved).contains("1=/f/\xE9t\xE9.bdf"));
    QVERIFY(ParseProject(saved) == p);
}

void TstProject::comments_data()
{
    QTest::addColumn<QString>("comment");
    QTest::newRow("plain") << "Regular text, 12 px";
    QTest::newRow("two-lines") << "first\nsecond";
    QTest::newRow("crlf") << "first\r\nsecond\r\n";
    QTest::newRow("backslashes-and-breaks") << "C:\\fonts\\n.bdf\nnext";
    QTest::newRow("escape-look-alike-without-breaks") << "a\\nb\\\\c\\s";
    QTest::newRow("blank-ends-with-breaks") << " indented\nand trailing ";
    QTest::newRow("only-breaks") << "\n\n";
    QTest::newRow("one-line-blank-ends") << "  indented\t";
    QTest::newRow("semicolon-first") << ";not an ini comment";
    QTest::newRow("cyrillic") << "Комментарий\nвторая строка";
}

void TstProject::comments()
{
    QFETCH(QString, comment);
    TProjectFile p;
    p.Typefaces = {Face("T", "Serif", {}, comment.toStdString())};
    const std::string saved = UpdateProject("", p);
    const TProjectFile back = ParseProject(saved);
    QCOMPARE(QString::fromStdString(back.Typefaces[0].Comments), comment);
    // Every value stays on one line.
    QCOMPARE(Text(saved).count("\r\n"), Text(saved).count("\n"));
    QVERIFY(!Text(saved).contains("\r\r"));
}

void TstProject::plainCommentWrittenAsBefore()
{
    TProjectFile p;
    p.Typefaces = {Face("T", "Serif", {}, "a\\nb")};
    const QByteArray saved = Text(UpdateProject("", p));
    QVERIFY(saved.contains("\r\nComments=a\\nb\r\n"));
    QVERIFY(!saved.contains("CommentsEscaped"));
}

void TstProject::nameProblems_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("self");
    QTest::addColumn<bool>("refused");
    QTest::newRow("new-name") << "Italic" << -1 << false;
    QTest::newRow("same-name-other-case") << "BOLD" << -1 << true;
    QTest::newRow("renaming-itself-to-other-case") << "BOLD" << 0 << false;
    QTest::newRow("common") << "common" << -1 << true;
    QTest::newRow("typefaces") << "Typefaces" << -1 << true;
    QTest::newRow("fontfiles") << "FONTFILES" << -1 << true;
    QTest::newRow("bracket") << "a]b" << -1 << true;
    QTest::newRow("line-break") << "a\nb" << -1 << true;
    QTest::newRow("blank-is-refused") << " " << -1 << true;
    QTest::newRow("trailing-blank") << "Bold " << -1 << true;
    QTest::newRow("cyrillic-case-is-distinct") << "жирный" << -1 << false;
}

void TstProject::nameProblems()
{
    QFETCH(QString, name);
    QFETCH(int, self);
    QFETCH(bool, refused);
    const std::vector<TTypeface> faces = {Face("Bold", "Serif", {}), Face("Жирный", "Serif", {})};
    const auto problem = TypefaceNameProblem(faces, name.toStdString(), self);
    QCOMPARE(problem.has_value(), refused);
}

void TstProject::picturePath_data()
{
    QTest::addColumn<QString>("project");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("path");
    QTest::newRow("plain") << "/p/demo.bitloom" << "Bold" << "/p/Bold.jpg";
    QTest::newRow("extension-replaced") << "/p/demo.bitloom" << "Bold.v2" << "/p/Bold.jpg";
    QTest::newRow("no-project") << "" << "Bold" << "./Bold.jpg";
}

void TstProject::picturePath()
{
    QFETCH(QString, project);
    QFETCH(QString, name);
    QFETCH(QString, path);
    QCOMPARE(QString::fromStdString(TypefacePicturePath(project.toStdString(), name.toStdString())), path);
}

void TstProject::fontPathsResolveBesideTheProject()
{
    QTemporaryDir dir;
    QDir(dir.path()).mkpath("proj/fonts");
    QDir(dir.path()).mkpath("fonts");
    for (const char *name : {"proj/fonts/a.bdf", "fonts/a.bdf", "fonts/old.bdf"}) {
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    const std::string project = dir.filePath("proj/demo.bitloom").toStdString();
    const QString old = QDir::currentPath();
    QDir::setCurrent(dir.path());
    // Beside the project first, even where the working folder has a file of that name.
    QCOMPARE(ResolveFontPath("fonts/a.bdf", project), std::optional(dir.filePath("proj/fonts/a.bdf").toStdString()));
    // A path saved relative to the working folder still opens from there, made absolute.
    QCOMPARE(ResolveFontPath("./fonts//old.bdf", project), std::optional(dir.filePath("fonts/old.bdf").toStdString()));
    QCOMPARE(ResolveFontPath("fonts/a.bdf", "proj/demo.bitloom"),
             std::optional(dir.filePath("proj/fonts/a.bdf").toStdString()));
    QDir::setCurrent(old);
    QCOMPARE(ResolveFontPath("fonts/missing.bdf", project), std::nullopt);
    QCOMPARE(ResolveFontPath("fonts", project), std::nullopt);
    QCOMPARE(ResolveFontPath("", project), std::nullopt);
}

void TstProject::fontPathTexts_data()
{
    // "@" stands for the test's folder: proj/ holds p.bitloom and fonts/a.bdf,
    // other/ holds b.bdf, link/ is a link to proj/.
    QTest::addColumn<QString>("font");
    QTest::addColumn<QStringList>("read");
    QTest::addColumn<QString>("target");
    QTest::addColumn<QString>("expected");
    QTest::newRow("read-text-kept") << "@/proj/fonts/a.bdf" << QStringList{"./fonts/a.bdf"} << "proj/p.bitloom"
                                    << "./fonts/a.bdf";
    QTest::newRow("read-absolute-kept") << "@/proj/fonts/a.bdf" << QStringList{"@/proj/fonts/a.bdf"}
                                        << "proj/p.bitloom" << "@/proj/fonts/a.bdf";
    QTest::newRow("working-folder-text-rewritten") << "@/proj/fonts/a.bdf" << QStringList{"proj/fonts/a.bdf"}
                                                   << "proj/p.bitloom" << "fonts/a.bdf";
    QTest::newRow("new-font-below-project") << "@/proj/fonts/a.bdf" << QStringList{} << "proj/p.bitloom"
                                            << "fonts/a.bdf";
    QTest::newRow("font-outside-absolute") << "@/other/b.bdf" << QStringList{"../other/b.bdf"} << "proj/q.bitloom"
                                           << "@/other/b.bdf";
    QTest::newRow("saved-as-elsewhere") << "@/proj/fonts/a.bdf" << QStringList{"fonts/a.bdf"} << "other/q.bitloom"
                                        << "@/proj/fonts/a.bdf";
    QTest::newRow("saved-as-beside-font") << "@/other/b.bdf" << QStringList{"@/other/b.bdf"} << "other/q.bitloom"
                                          << "b.bdf";
    QTest::newRow("project-through-link") << "@/proj/fonts/a.bdf" << QStringList{} << "link/p.bitloom"
                                          << "fonts/a.bdf";
}

void TstProject::fontPathTexts()
{
    QFETCH(QString, font);
    QFETCH(QStringList, read);
    QFETCH(QString, target);
    QFETCH(QString, expected);
    QTemporaryDir dir;
    const QString root = QDir(dir.path()).canonicalPath();
    QDir(root).mkpath("proj/fonts");
    QDir(root).mkpath("other");
    QVERIFY(QFile::link(root + "/proj", root + "/link"));
    for (const char *name : {"proj/p.bitloom", "proj/fonts/a.bdf", "other/b.bdf"}) {
        QFile f(root + "/" + name);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    std::vector<std::string> texts;
    for (const QString &t : read)
        texts.push_back(QString(t).replace("@", root).toStdString());
    const QString old = QDir::currentPath();
    QDir::setCurrent(root);
    const std::vector<std::string> out = ProjectFontTexts({QString(font).replace("@", root).toStdString()}, texts,
                                                          root.toStdString() + "/proj/p.bitloom",
                                                          (root + "/" + target).toStdString());
    QDir::setCurrent(old);
    QCOMPARE(out, std::vector<std::string>{QString(expected).replace("@", root).toStdString()});
}

void TstProject::moveTargets()
{
    QCOMPARE(MoveTarget(0, 3, -1), std::nullopt);
    QCOMPARE(MoveTarget(2, 3, +1), std::nullopt);
    QCOMPARE(MoveTarget(1, 3, -1), std::optional<int>(0));
    QCOMPARE(MoveTarget(-1, 3, +1), std::nullopt);
}

void TstProject::whatLooksLikeAProject_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("project");
    QTest::newRow("empty") << QByteArray() << true;
    QTest::newRow("sections") << QByteArray("[Common]\r\nCollectionUid=1\r\n") << true;
    QTest::newRow("png") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << false;
    QTest::newRow("bdf-font") << QByteArray("STARTFONT 2.1\nFONT x\nENDFONT\n") << false;
    QTest::newRow("keys-without-section") << QByteArray("a=1\nb=2\n") << false;
}

void TstProject::whatLooksLikeAProject()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, project);
    QCOMPARE(LooksLikeProject(View(text)), project);
}

void TstProject::jpegDecodes_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("warning");
    QTest::newRow("whole") << MakeJpeg(30, 20) << "";
    QTest::newRow("data-ends-early") << MakeCutJpeg(30, 20) << "Premature end";
}

void TstProject::jpegDecodes()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, warning);
    const TRgbPicture picture = DecodeJpeg(View(bytes));
    QVERIFY2(picture.Error.empty(), picture.Error.c_str());
    QCOMPARE(picture.Width, 30);
    QCOMPARE(picture.Height, 20);
    QCOMPARE(picture.Pixels.size(), size_t(30 * 20 * 3));
    QVERIFY(std::abs(int(picture.Pixels[0]) - 128) <= 2);
    QVERIFY2(warning.isEmpty() ? picture.Warning.empty() : QString::fromStdString(picture.Warning).contains(warning),
             picture.Warning.c_str());
}

void TstProject::jpegRefusals_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QByteArray good = MakeJpeg(16, 16);
    // The frame header (FFC0) holds the height and width after its length and precision.
    auto withSize = [&](int width, int height) {
        QByteArray b = good;
        const qsizetype sof = b.indexOf(QByteArray("\xFF\xC0", 2));
        b[sof + 5] = char(height >> 8);
        b[sof + 6] = char(height & 0xFF);
        b[sof + 7] = char(width >> 8);
        b[sof + 8] = char(width & 0xFF);
        return b;
    };
    QTest::newRow("not-a-jpeg") << QByteArray("BM this is a bitmap") << "";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("cut-short") << good.left(good.size() / 2) << "";
    QTest::newRow("announces-65500-square") << withSize(65500, 65500) << "65500 x 65500";
    QTest::newRow("announces-5000-wide") << withSize(5000, 10) << "5000 x 10";
}

void TstProject::jpegRefusals()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    const TRgbPicture picture = DecodeJpeg(View(bytes));
    QVERIFY(!picture.Error.empty());
    QVERIFY(picture.Pixels.empty());
    QVERIFY2(QString::fromStdString(picture.Error).contains(error), picture.Error.c_str());
}

QTEST_APPLESS_MAIN(TstProject)
#include "tst_project.moc"
