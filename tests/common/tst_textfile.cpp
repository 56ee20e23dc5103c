#include "Cp949.h"
#include "FifoTrap.h"
#include "GridFile.h"
#include "ProgramDirectory.h"
#include "TestFiles.h"
#include "TextFile.h"
#include "TextLines.h"
#include "TrendFileReader.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/types.h>

class tst_TextFile : public QObject
{
    Q_OBJECT

private slots:
    void koreanTextIsWrittenInCodePage949WithCrLf();
    void readingAcceptsMissingLastLineEndAndLoneLf();
    void missingFileIsNotAnEmptyFile();
    void replacingIntoAMissingFolderFailsAndLeavesNothing();
    void appendingCreatesTheFileAndAddsOneLine();
    void appendWritesAWholeLineOrNothing();
    void undecodableBytesDoNotStopReading();
    void linesAreCutAtTheCap();
    void killedWriterLeavesTheOldOrTheNewFile();
    void programFolderIsTheExecutablesWhenWritable();
    void onlyRegularFilesAreReadOrWritten();
};

using TestFiles::contents;

void tst_TextFile::koreanTextIsWrittenInCodePage949WithCrLf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("SaveData.INI"));
    QVERIFY(TextFile::replaceLines(
        path, {QStringLiteral("Yes"), QStringLiteral("30"), QStringLiteral("초")}));
    // "초" is C3 CA in code page 949.
    QCOMPARE(contents(path), QByteArray("Yes\r\n30\r\n\xC3\xCA\r\n"));
    QCOMPARE(TextFile::readLines(path).value(),
             QStringList({QStringLiteral("Yes"), QStringLiteral("30"), QStringLiteral("초")}));
    QCOMPARE(Cp949::fromUnicode(QStringLiteral("분")), QByteArray("\xBA\xD0"));
}

void tst_TextFile::readingAcceptsMissingLastLineEndAndLoneLf()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("a.txt"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("one\r\ntwo\n\r\nlast");
    file.close();
    QCOMPARE(TextFile::readLines(path).value(),
             QStringList({QStringLiteral("one"), QStringLiteral("two"), QString(),
                          QStringLiteral("last")}));
}

void tst_TextFile::missingFileIsNotAnEmptyFile()
{
    QTemporaryDir dir;
    QVERIFY(!TextFile::readLines(dir.filePath(QStringLiteral("none"))).has_value());
    const QString empty = dir.filePath(QStringLiteral("empty"));
    QVERIFY(TextFile::replaceLines(empty, {}));
    QCOMPARE(TextFile::readLines(empty).value(), QStringList());
}

void tst_TextFile::replacingIntoAMissingFolderFailsAndLeavesNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("missing/Comm.CFG"));
    QVERIFY(!TextFile::replaceLines(path, {QStringLiteral("COM1")}));
    QVERIFY(!QFile::exists(path));

    const QString kept = dir.filePath(QStringLiteral("kept"));
    QVERIFY(TextFile::replaceLines(kept, {QStringLiteral("old")}));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool replaced = TextFile::replaceLines(kept, {QStringLiteral("new")});
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (!replaced) // root may write anyway; otherwise the old file must be intact
        QCOMPARE(contents(kept), QByteArray("old\r\n"));
}

void tst_TextFile::appendingCreatesTheFileAndAddsOneLine()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("RecvData.txt"));
    QVERIFY(TextFile::appendLine(path, QStringLiteral("송신")));
    QVERIFY(TextFile::appendLine(path, QByteArray("\x02raw\xFF")));
    QCOMPARE(contents(path), QByteArray("\xBC\xDB\xBD\xC5\r\n\x02raw\xFF\r\n"));
}

/// A full disk is stood in for by a file size limit, which cuts a write short the same way and
/// holds for root too.
void tst_TextFile::appendWritesAWholeLineOrNothing()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("ZQ410_01.DAT"));
    QVERIFY(TextFile::appendLine(path, QByteArray("2024-03-07\t13:01:49\t60.0\t25.0\t24.9")));
    const QByteArray before = contents(path);

    rlimit old{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit tight = old;
    tight.rlim_cur = rlim_t(before.size() + 20);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    const bool written =
        TextFile::appendLine(path, QByteArray("2024-03-07\t13:01:50\t60.0\t25.0\t24.9"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previousHandler);
    QVERIFY(!written);
    QCOMPARE(contents(path), before);

    // A last line torn by a crash: the next line starts on a line of its own.
    QFile torn(path);
    QVERIFY(torn.open(QIODevice::Append));
    torn.write("2024-03-07\t13:01:51\t60.0\t25.0\t24.");
    torn.close();
    QVERIFY(TextFile::appendLine(path, QByteArray("2024-03-07\t13:01:52\t60.0\t25.0\t24.9")));
    QCOMPARE(contents(path), before + "2024-03-07\t13:01:51\t60.0\t25.0\t24.\r\n"
                                      "2024-03-07\t13:01:52\t60.0\t25.0\t24.9\r\n");
}

void tst_TextFile::undecodableBytesDoNotStopReading()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("junk"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("a\xFF\xFF"
               "b\r\n\xC3\xCA\r\n");
    file.close();
    const QStringList lines = TextFile::readLines(path).value();
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines.at(0).startsWith(QLatin1Char('a')));
    QVERIFY(lines.at(0).endsWith(QLatin1Char('b')));
    QCOMPARE(lines.at(1), QStringLiteral("초"));
}

void tst_TextFile::linesAreCutAtTheCap()
{
    // Lines of 1.5 MiB and 3 MiB, each straddling the 1 MiB blocks of the reader.
    QByteArray input =
        "a\r\n" + QByteArray(3 << 19, 'x') + "\r\nb\n" + QByteArray(3 << 20, 'y') + "\nc";
    QBuffer buffer(&input);
    QVERIFY(buffer.open(QIODevice::ReadOnly));
    QList<QByteArray> lines;
    QVERIFY(TextLines::forEach(buffer, [&](QByteArrayView line) {
        lines.append(line.first(1).toByteArray() + QByteArray::number(line.size()));
    }));
    const QByteArray cap = QByteArray::number(TextLines::MaxLine);
    QCOMPARE(lines, QList<QByteArray>({"a1", "x" + cap, "b1", "y" + cap, "c1"}));
}

/// A writer killed (SIGKILL) at random moments of replacing a settings file, a hundred times:
/// the file is always one of the two versions, byte for byte.
void tst_TextFile::killedWriterLeavesTheOldOrTheNewFile()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Comm.CFG"));
    const QByteArray a = "COM1\r\n9600\r\nN\r\n8\r\n1\r\nSUM\r\n";
    const QByteArray b = "/dev/ttyUSB0\r\n4800\r\nE\r\n7\r\n2\r\nSTD\r\n";
    QRandomGenerator random(7);
    int kills = 0;
    for (int i = 0; i < 100; ++i) {
        QProcess writer;
        writer.start(QStringLiteral(SETTINGS_WRITER), {path});
        QVERIFY(writer.waitForStarted());
        // The first writer is given the time to write once, however slowly it starts (a loaded
        // machine, a sanitized build): from then on the file must always be there.
        if (i == 0)
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path), 30000);
        QTest::qWait(5 + random.bounded(40));
        ::kill(pid_t(writer.processId()), SIGKILL);
        QVERIFY(writer.waitForFinished());
        ++kills;
        const QByteArray now = contents(path);
        QVERIFY2(now == a || now == b, now.constData());
    }
    QCOMPARE(kills, 100);
}

void tst_TextFile::programFolderIsTheExecutablesWhenWritable()
{
    QTemporaryDir build;
    QCOMPARE(ProgramDirectory::choose(build.path()), build.path());
    QVERIFY(QDir(build.path()).entryList(QDir::Files | QDir::Hidden).isEmpty()); // no probe left

    // An installed copy (a folder no file can be created in, root included): the user's
    // configuration folder, created.
    QTemporaryDir home;
    const QByteArray old = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    const QString chosen = ProgramDirectory::choose(QStringLiteral("/proc/zq410-not-here"));
    qputenv("XDG_CONFIG_HOME", old);
    QCOMPARE(chosen, home.filePath(QStringLiteral("config/ZQ410")));
    QVERIFY(QDir(chosen).exists());
}

/// A FIFO, a folder or an oversized file where a settings, table or trend file belongs is
/// treated as a file that cannot be opened: nothing blocks on it, nothing is read from or
/// written into it.
void tst_TextFile::onlyRegularFilesAreReadOrWritten()
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("Comm.CFG"));
    {
        FifoTrap trap(fifo);
        QVERIFY(trap.made());
        QCOMPARE(TextFile::readLines(fifo), std::nullopt);
        QCOMPARE(GridFile::load(fifo), std::nullopt);
        QVERIFY(!TrendFileReader::read(fifo));
        QVERIFY(!TextFile::appendLine(fifo, QStringLiteral("2024-03-07\t14:05:09\t1\t2\t3")));
        QVERIFY2(!trap.sprung(), "a FIFO was opened as a file");
    }
    const QString folder = dir.filePath(QStringLiteral("SaveData.INI"));
    QVERIFY(QDir().mkpath(folder));
    QCOMPARE(TextFile::readLines(folder), std::nullopt);
    QVERIFY(!TextFile::appendLine(folder, QStringLiteral("x")));

    const QString big = dir.filePath(QStringLiteral("SetMulti.INI"));
    QFile file(big);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(TextFile::MaxReadBytes, 'O') + "\r\n");
    file.close();
    QCOMPARE(TextFile::readLines(big), std::nullopt);
    QVERIFY(file.resize(TextFile::MaxReadBytes));
    QCOMPARE(TextFile::readLines(big)->size(), 1);
}

QTEST_GUILESS_MAIN(tst_TextFile)
#include "tst_textfile.moc"
