#include "SecondaryWindow.h"

#include "Placement.h"
#include "Program.h"

#include <QCloseEvent>
#include <QSet>
#include <QShowEvent>

namespace velmora::windows {

namespace {

// Windows with a place of their own: centred on the screen, or where their
// stored geometry puts them.
bool placesItself(const QString &name)
{
    static const QSet<QString> own{
        QStringLiteral("start"),      QStringLiteral("frmAbout"),
        QStringLiteral("frmSplash"),  QStringLiteral("frmSplash2"),
        QStringLiteral("frmFavoritesShow"), QStringLiteral("frmGroupOperations"),
        QStringLiteral("frmOpenTabsDetailed")};
    return own.contains(name);
}

} // namespace

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

void SecondaryWindow::showEvent(QShowEvent *event)
{
    if (!event->spontaneous()) {
        // The others are placed by their own rule, which keeps them on the
        // screen already.
        if (!placesItself(objectName())) {
            if (!m_shownBefore)
                placeOverMainWindow(this, m_program);
            keepOnScreen(this, m_program);
        }
        m_shownBefore = true;
    }
    QWidget::showEvent(event);
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
