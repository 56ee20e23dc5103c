#pragma once

#include <QHash>
#include <optional>

/// One simulated ZQ410 controller: its registers and a simple thermal model.
///
/// While running (STATUS bit 0) the control temperature moves towards SV and the auxiliary
/// temperature follows it; outputs, currents, lamps and the remaining time follow the state.
/// Command registers 102..108 and 110 toggle their run-state bit when written with 1.
class SimulatedController
{
public:
    explicit SimulatedController(int deviceNo);

    int deviceNo() const { return m_deviceNo; }

    /// The register's value as a signed 16-bit number; nullopt for a register it does not have.
    std::optional<int> readRegister(int address) const;
    /// True when writing the value to the register would be taken.
    bool accepts(int address, int value) const;
    /// False, and nothing changed, for a write the controller does not accept.
    bool writeRegister(int address, int value);

    /// Lets ms milliseconds of time pass.
    void advance(int ms);

    bool running() const;
    /// Starts or stops the controller as its RUN button would.
    void setRunning(bool running);
    /// Holds the control and auxiliary temperatures at degrees (tests and demos of limits);
    /// nullopt lets the thermal model move them again.
    void pinTemperature(std::optional<double> degrees);

private:
    void updateDerivedRegisters();
    void toggleBit(int address, int bit);

    int m_deviceNo;
    QHash<int, int> m_registers;
    /// Temperatures in degrees, held finer than the registers show them.
    double m_pv = 25.0;
    double m_aux = 24.8;
    int m_msIntoMinute = 0;
    bool m_pinned = false;
};
