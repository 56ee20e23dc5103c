// The settings and grid file loaders on arbitrary file contents. Invariants: whatever loads
// survives a save and a reload unchanged.

#include "FuzzCheck.h"
#include "GridFile.h"
#include "SettingsFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

void write(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static int argc = 1;
    static char name[] = "fuzz_settings";
    static char *argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    static QTemporaryDir dir;
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const SettingsFiles files(dir.path());
    QDir().mkpath(files.cfgFolder());

    // Bytes that are not code page 949 are read as U+FFFD and written back as "?": after one
    // save the values are the file's own and must then survive every save and reload.
    write(files.commPath(), bytes);
    check(files.SavePortSettings(files.LoadPortSettings()));
    const PortSettings port = files.LoadPortSettings();
    check(files.SavePortSettings(port));
    check(files.LoadPortSettings() == port);

    const QString dataFolder = dir.filePath(QStringLiteral("data"));
    write(files.saveDataPath(), bytes);
    check(files.SaveRecordingSettings(files.LoadRecordingSettings(dataFolder)));
    const RecordingSettings recording = files.LoadRecordingSettings(dataFolder);
    check(files.SaveRecordingSettings(recording));
    check(files.LoadRecordingSettings(dataFolder) == recording);

    write(files.setMultiPath(), bytes);
    check(files.LoadDeviceList().size() <= 99);
    check(files.SaveDeviceList(files.LoadDeviceListRows()));
    const QList<DeviceListRow> rows = files.LoadDeviceListRows();
    check(rows.size() == 99);
    check(files.SaveDeviceList(rows));
    check(files.LoadDeviceListRows() == rows);

    const QString grid = dir.filePath(QStringLiteral("grid"));
    write(grid, bytes);
    if (const auto cells = GridFile::load(grid)) {
        check(GridFile::save(grid, *cells));
        const auto once = GridFile::load(grid);
        check(once.has_value());
        check(GridFile::save(grid, *once));
        check(GridFile::load(grid) == once);
    }
    return 0;
}
