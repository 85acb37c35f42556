#include "frmOptions.h"

namespace velmora::windows {

frmOptions::frmOptions(Program &program, QWidget *parent)
    : SecondaryWindow(program, QStringLiteral("frmOptions"), parent)
{
}

} // namespace velmora::windows
