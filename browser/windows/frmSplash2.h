#pragma once

#include "frmSplash.h"

namespace velmora::windows {

// Shown while all tabs are being closed.
class frmSplash2 : public WaitWindow
{
    Q_OBJECT
public:
    explicit frmSplash2(Program &program, QWidget *parent = nullptr);
};

} // namespace velmora::windows
