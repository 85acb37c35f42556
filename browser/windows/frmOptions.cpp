#include "frmOptions.h"

namespace velmora::windows {

frmOptions::frmOptions(Program &program, QWidget *parent) : QWidget(parent), m_program(program)
{
    setObjectName(QStringLiteral("frmOptions"));
    setProperty("MU", false);
}

} // namespace velmora::windows
