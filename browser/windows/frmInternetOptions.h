#pragma once

#include "BrowsingData.h"

#include <QDialog>

class QCheckBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace velmora {
class Program;
}

namespace velmora::windows {

// The browser's own Internet options: deleting what browsing left behind
// (the engine's cache, cookies and history, the pages kept for offline
// work, each chosen), and the connection the engine starts with (the
// system's proxy settings, none, or an HTTP or SOCKS proxy of the user's),
// which takes effect at the next start.
class frmInternetOptions : public QDialog
{
    Q_OBJECT
public:
    explicit frmInternetOptions(Program &program, QWidget *parent = nullptr);

    // Deletes what is ticked and says how it went.
    void deleteChosen();
    // The connection as the dialog shows it.
    platform::ProxyChoice proxyChoice() const;

    QCheckBox *chkCache = nullptr;
    QCheckBox *chkCookies = nullptr;
    QCheckBox *chkHistory = nullptr;
    QCheckBox *chkOfflinePages = nullptr;
    QPushButton *cmdDelete = nullptr;
    QLabel *lblDeleted = nullptr;
    QRadioButton *optSystem = nullptr;
    QRadioButton *optNone = nullptr;
    QRadioButton *optHttp = nullptr;
    QRadioButton *optSocks = nullptr;
    QLineEdit *txtHost = nullptr;
    QSpinBox *txtPort = nullptr;
    QLabel *lblRestart = nullptr;
    QDialogButtonBox *buttons = nullptr;

public slots:
    // Keeps the connection chosen for the next start.
    void accept() override;

private:
    void showProxy(const platform::ProxyChoice &choice);
    void updateControls();

    Program &m_program;
};

} // namespace velmora::windows
