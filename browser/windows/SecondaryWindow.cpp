#include "SecondaryWindow.h"

#include "Program.h"

#include <QCloseEvent>

namespace velmora::windows {

SecondaryWindow::SecondaryWindow(Program &program, const QString &name, QWidget *parent)
    : QWidget(parent, Qt::Window), m_program(program)
{
    setObjectName(name);
    // Form_Initialize: nothing shows before the main window is laid out.
    if (!m_program.mainLoaded)
        hide();
    closingGuard();
}

bool SecondaryWindow::closingGuard()
{
    if (!m_program.appClosing)
        return false;
    MU = true;
    close();
    m_program.system().terminateProcess(0);
    return true;
}

bool SecondaryWindow::Form_QueryUnload()
{
    return MU;
}

void SecondaryWindow::paintEvent(QPaintEvent *event)
{
    if (closingGuard())
        return;
    QWidget::paintEvent(event);
}

void SecondaryWindow::closeEvent(QCloseEvent *event)
{
    if (Form_QueryUnload()) {
        event->accept();
        return;
    }
    event->ignore();
    hide();
}

} // namespace velmora::windows
