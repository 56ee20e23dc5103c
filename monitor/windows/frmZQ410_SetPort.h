#pragma once

#include "SharedState.h"

#include <QDialog>
#include <memory>

namespace Ui {
class frmZQ410_SetPort;
}

/// The port settings window: six editable combo boxes and a test of the chosen port. OK returns
/// the six texts (settings()); the engine stores and applies them. The port is not reopened; the
/// settings apply at the next opening (the protocol to the next frame).
class frmZQ410_SetPort : public QDialog
{
    Q_OBJECT

public:
    explicit frmZQ410_SetPort(const PortSettings &current, QWidget *parent = nullptr);
    ~frmZQ410_SetPort() override;

    /// The texts of the six boxes.
    PortSettings settings() const;

    /// The port test: opens the port and closes it again; the message names a port that does not
    /// exist or is in use, and is empty otherwise. holder, when given, gets who holds a port in
    /// use (from its lock file), as the monitor says it when the port is opened.
    static QString testPort(const QString &portText, QString *holder = nullptr);

private:
    void fillLists();
    void runPortTest(const QString &portText);

    std::unique_ptr<Ui::frmZQ410_SetPort> ui;
};
