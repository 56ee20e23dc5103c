// The settings and grid file loaders on arbitrary file contents, in memory: the bytes are read
// as the files' lines and meanings, written back as the files' bytes and read again. (Writing
// and replacing the files themselves is the crash-safety tests' business.) Invariants: whatever
// loads survives a save and a reload unchanged.

#include "FuzzCheck.h"
#include "GridFile.h"
#include "SettingsFiles.h"
#include "TextFile.h"

namespace {

/// The lines a file holds after the lines were saved to it.
QStringList saved(const QStringList &lines)
{
    return TextFile::linesOf(TextFile::bytesOf(lines));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QStringList lines =
        TextFile::linesOf(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));

    // Bytes that are not code page 949 are read as U+FFFD and written back as "?": after one
    // save the values are the file's own and must then survive every save and reload.
    if (const auto port = SettingsFiles::portSettingsOf(lines)) {
        const auto once = SettingsFiles::portSettingsOf(saved(SettingsFiles::linesOf(*port)));
        check(once.has_value());
        check(SettingsFiles::portSettingsOf(saved(SettingsFiles::linesOf(*once))) == once);
    }
    if (const auto recording = SettingsFiles::recordingSettingsOf(lines)) {
        const auto once =
            SettingsFiles::recordingSettingsOf(saved(SettingsFiles::linesOf(*recording)));
        check(once.has_value());
        check(SettingsFiles::recordingSettingsOf(saved(SettingsFiles::linesOf(*once))) == once);
    }

    check(SettingsFiles::devicesOf(lines).size() <= 99);
    const QList<DeviceListRow> rows = SettingsFiles::deviceListRowsOf(
        saved(SettingsFiles::linesOf(SettingsFiles::deviceListRowsOf(lines))));
    check(rows.size() == 99);
    check(SettingsFiles::deviceListRowsOf(saved(SettingsFiles::linesOf(rows))) == rows);

    if (const auto cells = GridFile::rowsOf(lines)) {
        const auto once = GridFile::rowsOf(saved(GridFile::linesOf(*cells)));
        check(once.has_value());
        check(GridFile::rowsOf(saved(GridFile::linesOf(*once))) == once);
    }
    return 0;
}
