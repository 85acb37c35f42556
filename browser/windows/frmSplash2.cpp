#include "frmSplash2.h"

namespace velmora::windows {

frmSplash2::frmSplash2(Program &program, QWidget *parent)
    : WaitWindow(program, QStringLiteral("frmSplash2"),
                 QStringLiteral("Закрытие всех вкладок..."), 114, 102, 36, parent)
{
    Form_Load();
}

} // namespace velmora::windows
