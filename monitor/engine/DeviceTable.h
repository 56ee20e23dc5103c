#pragma once

#include "Conversion.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>

/// What the last exchange with a controller left: the device table's link state (field 1) and
/// the device picker's cell. Each state has its text and its colour.
enum class LinkState {
    Unknown,       ///< nothing known yet, or the port closed: an empty cell
    Good,          ///< "양호", green
    Negative,      ///< "NG", red: the controller refused the request
    ChecksumError, ///< "CRC", red: the reply's checksum was wrong
    TimedOut,      ///< "OVER", red: no reply within 600 ms
    Failed,        ///< "불량", black: given up after three time-outs, or a refused block read
};

/// The colours of the link-state cells.
enum class LinkColour { None, Green, Red, Black };

/// The latest known state of every controller in the device list, as a table model: one row per
/// list position (row i belongs to DeviceList index i, its vertical header is the device
/// number), one column per field 1 to 45 and a last column for the device picker's link cell.
/// Fields hold the register values as read, with how they convert (and the decimal places they
/// were read with); the text is made when it is shown. Fields keep their last value until
/// written again; a new row starts empty.
class DeviceTable : public QAbstractTableModel
{
    Q_OBJECT

public:
    /// The 45 fields of a row, numbered as the device table numbers them.
    enum class Field {
        LinkState = 1,
        DecimalPlaces,
        Unit,
        Pv,
        Aux,
        Deviation,
        Status,
        Sv,
        RestTime,
        MemoryNo,
        Led1,
        Led2,
        HeatOutput,
        CoolOutput,
        RemoteId,
        CurrentR,
        CurrentS,
        CoolMode,
        HeatMode,
        HighAlarm,
        LowAlarm,
        DeviationAlarm,
        CurrentHighAlarm,
        CurrentLowAlarm,
        Pb,
        Ti,
        Td,
        Ct,
        Pbc,
        Tic,
        Tdc,
        Ctc,
        ControlSensor,
        AuxSensor,
        UpperLimit,
        LowerLimit,
        ControlOffset,
        AuxOffset,
        PreheatSv,
        SuctionOption,
        RestartMode,
        Timer1,
        Timer2,
        Timer3,
        RefillTime,
    };
    Q_ENUM(Field)

    static constexpr int FieldCount = 45;
    /// The model column of the device picker's link cell, after the 45 fields.
    static constexpr int PickerColumn = FieldCount;

    enum Role {
        /// The LinkState of a link cell (field 1 and the picker column).
        LinkStateRole = Qt::UserRole + 1,
        /// Its LinkColour.
        LinkColourRole,
        /// On any cell: the row's connected() and running().
        ConnectedRole,
        RunningRole,
    };

    /// The model column of a field.
    static int columnOf(Field field) { return int(field) - 1; }
    /// Column headers of fields 1 to 45 (index 0 is field 1).
    static const QStringList &headers();
    static QString textOf(LinkState state);
    static LinkColour colourOf(LinkState state);

    explicit DeviceTable(QObject *parent = nullptr);

    /// Replaces all rows by empty ones for these device numbers.
    void reset(const QList<int> &deviceNos);

    int rowCount() const { return int(m_rows.size()); }
    int deviceNo(int row) const { return m_rows.at(row).deviceNo; }

    /// The field as shown: its value converted to text; empty while it has none.
    QString field(int row, Field field) const;
    /// The register value as read (STATUS and LED1 as unsigned bit words); nullopt while none.
    std::optional<int> value(int row, Field field) const;
    /// The number the value stands for (scaled, in tenths or plain); nullopt while none.
    std::optional<double> number(int row, Field field) const;
    void setValue(int row, Field field, int raw, Conversion conversion = Conversion::Plain,
                  int decimals = 0);

    /// Field 1: the link state of the last exchange with the device.
    LinkState linkState(int row) const { return m_rows.at(row).linkState; }
    void setLinkState(int row, LinkState state);

    /// The device picker's link cell ("양호" green, "불량" black).
    LinkState pickerState(int row) const { return m_rows.at(row).pickerState; }
    void setPickerState(int row, LinkState state);

    /// The controller answered an identification or a status request since the port opened.
    bool connected(int row) const { return m_rows.at(row).connected; }
    void setConnected(int row, bool connected);
    int connectedCount() const;
    /// Bit 0 of STATUS in the controller's last status block since the port opened.
    bool running(int row) const { return m_rows.at(row).running; }
    /// When its last status block was decoded (ms on the engine's clock; -1: none since the port
    /// opened), and how many status requests went to it unanswered since.
    qint64 lastStatusMs(int row) const { return m_rows.at(row).lastStatusMs; }
    int unansweredPolls(int row) const { return m_rows.at(row).unansweredPolls; }
    /// A status block of the row has been decoded at nowMs: connected, running as STATUS says.
    void noteStatusBlock(int row, qint64 nowMs);
    void noteUnansweredPoll(int row);
    /// The line closed: no controller is connected, running or known; values stay.
    void forgetLineState();

    int rowCount(const QModelIndex &parent) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    struct Value
    {
        int raw = 0;
        Conversion conversion = Conversion::Plain;
        int decimals = 0;

        bool operator==(const Value &) const = default;
    };
    struct Row
    {
        int deviceNo = 0;
        std::array<std::optional<Value>, FieldCount> values;
        LinkState linkState = LinkState::Unknown;
        LinkState pickerState = LinkState::Unknown;
        bool connected = false;
        bool running = false;
        qint64 lastStatusMs = -1;
        int unansweredPolls = 0;
    };

    void changed(int row, int column);
    void rowStateChanged(int row);

    QList<Row> m_rows;
};
