#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <array>

/// Colours of the link-state cells.
enum class LinkColour { None, Green, Red, Black };

/// A text cell with its back colour.
struct LinkCell
{
    QString text;
    LinkColour colour = LinkColour::None;

    bool operator==(const LinkCell &) const = default;
};

/// The latest known state of every controller in the device list: one row per list position
/// (row i belongs to DeviceList index i), 45 text fields per row, field 1 being the link state
/// with its colour. Each row also carries the link-state cell of the device picker.
/// Fields keep their last text until written again; a new row starts empty.
class DeviceTable : public QObject
{
    Q_OBJECT

public:
    static constexpr int FieldCount = 45;

    /// Column headers of fields 1 to 45 (index 0 is field 1).
    static const QStringList &headers();

    explicit DeviceTable(QObject *parent = nullptr);

    /// Replaces all rows by empty ones for these device numbers.
    void reset(const QList<int> &deviceNos);

    int rowCount() const { return int(m_rows.size()); }
    int deviceNo(int row) const { return m_rows.at(row).deviceNo; }

    /// Field 1 to 45 of a row.
    QString field(int row, int field) const;
    void setField(int row, int field, const QString &text);

    /// Field 1: the link state of the last exchange with the device.
    LinkCell linkState(int row) const { return m_rows.at(row).linkState; }
    void setLinkState(int row, const LinkCell &cell);

    /// The device picker's link cell ("양호" green, "불량" black).
    LinkCell pickerState(int row) const { return m_rows.at(row).pickerState; }
    void setPickerState(int row, const LinkCell &cell);

signals:
    void rowsReset();
    void fieldChanged(int row, int field);
    void pickerStateChanged(int row);

private:
    struct Row
    {
        int deviceNo = 0;
        std::array<QString, FieldCount> fields;
        LinkCell linkState;
        LinkCell pickerState;
    };

    QList<Row> m_rows;
};
