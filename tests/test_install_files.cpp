// The files an installation gives the desktop: the MIME type knows model-run files by name
// and by their header line, and the desktop entry, the icon and the AppStream metadata
// name one another as the desktop looks them up.

#include <QDir>
#include <QFile>
#include <QMimeDatabase>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString AppId = QStringLiteral("org.trophex.Trophex");
const QString MimeTypeName = QStringLiteral("application/x-trophex");

// The test runs in the source's dist/ folder (CTest's working directory for it).
QString distFile(const QString& name)
{
    return QDir::current().absoluteFilePath(name);
}

QString readText(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return QString::fromUtf8(file.readAll());
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

// The value of a key of the desktop entry.
QString desktopKey(const QString& entry, const QString& key)
{
    const QRegularExpression line(QStringLiteral("^%1=(.*)$").arg(key), QRegularExpression::MultilineOption);
    return line.match(entry).captured(1);
}

}  // namespace

class InstallFilesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void modelRunFilesAreKnownByNameAndByHeader();
    void desktopEntryIconAndMetadataNameOneAnother();

private:
    QTemporaryDir dataHome_;  // the user's data folder, holding the MIME package
};

void InstallFilesTest::initTestCase()
{
    QVERIFY(dataHome_.isValid());
    QVERIFY(QDir(dataHome_.path()).mkpath(QStringLiteral("mime/packages")));
    QVERIFY(QFile::copy(distFile(AppId + ".xml"), dataHome_.filePath("mime/packages/" + AppId + ".xml")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome_.path()));
}

void InstallFilesTest::modelRunFilesAreKnownByNameAndByHeader()
{
    const QMimeDatabase database;
    QCOMPARE(database.mimeTypeForFile(QStringLiteral("/nowhere/lake.tpx"), QMimeDatabase::MatchExtension).name(),
             MimeTypeName);
    QCOMPARE(database.mimeTypeForFile(QStringLiteral("/nowhere/LAKE.TPX"), QMimeDatabase::MatchExtension).name(),
             MimeTypeName);

    QTemporaryDir folder;
    const QString renamed = folder.filePath(QStringLiteral("lake.dat"));
    writeBytes(renamed, "TROPHEX 1.0 Data File\r\nMirror Lake\r\nNLF\r\n");
    QCOMPARE(database.mimeTypeForFile(renamed, QMimeDatabase::MatchContent).name(), MimeTypeName);
    const QString withMark = folder.filePath(QStringLiteral("marked.dat"));
    writeBytes(withMark, "\xef\xbb\xbfTROPHEX 1.0 Data File\nMirror Lake\n");
    QCOMPARE(database.mimeTypeForFile(withMark, QMimeDatabase::MatchContent).name(), MimeTypeName);
    const QString otherText = folder.filePath(QStringLiteral("notes.dat"));
    writeBytes(otherText, "TROPHEX 1.0 data File\r\nMirror Lake\r\n");
    QVERIFY(database.mimeTypeForFile(otherText, QMimeDatabase::MatchContent).name() != MimeTypeName);
    QVERIFY(database.mimeTypeForName(MimeTypeName).inherits(QStringLiteral("text/plain")));
}

void InstallFilesTest::desktopEntryIconAndMetadataNameOneAnother()
{
    const QString entry = readText(distFile(AppId + ".desktop"));
    QCOMPARE(desktopKey(entry, QStringLiteral("Exec")), QStringLiteral("trophex %f"));
    QCOMPARE(desktopKey(entry, QStringLiteral("MimeType")), MimeTypeName + ";");
    QCOMPARE(desktopKey(entry, QStringLiteral("Icon")), AppId);
    QVERIFY(QFile::exists(distFile(AppId + ".svg")));

    const QString metadata = readText(distFile(AppId + ".metainfo.xml"));
    QVERIFY(metadata.contains("<id>" + AppId + "</id>"));
    QVERIFY(metadata.contains("<launchable type=\"desktop-id\">" + AppId + ".desktop</launchable>"));
    QVERIFY(metadata.contains("<mediatype>" + MimeTypeName + "</mediatype>"));
}

QTEST_GUILESS_MAIN(InstallFilesTest)
#include "test_install_files.moc"
