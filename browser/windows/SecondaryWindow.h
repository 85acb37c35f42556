#pragma once

#include <QWidget>

namespace velmora {
class Program;
}

namespace velmora::windows {

// What every secondary window shares: it stays hidden until the main window
// has loaded, unloads itself and ends the program once the program is
// closing, and on closing only hides unless its flag MU is set.
class SecondaryWindow : public QWidget
{
    Q_OBJECT
    // Looked up by name when the program closes.
    Q_PROPERTY(bool MU MEMBER MU)
public:
    SecondaryWindow(Program &program, const QString &name, QWidget *parent = nullptr);

    Program &program() { return m_program; }

    bool MU = false;

protected:
    // The closing guard of initialisation and paint. True when the window
    // is going because the program closes.
    bool closingGuard();
    // Whether a close may really unload the window; the default lets it go
    // only with MU set, and hides it otherwise.
    virtual bool Form_QueryUnload();

    void paintEvent(QPaintEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    // Unless the window places itself, its first showing opens it over the
    // main window, and every showing keeps it on the screen.
    void showEvent(QShowEvent *event) override;

private:
    Program &m_program;
    bool m_shownBefore = false;
};

} // namespace velmora::windows
