#pragma once

#include "SecondaryWindow.h"

#include <optional>

class QLabel;
class QTimer;

namespace velmora::platform {
struct MemoryStatus;
}

namespace velmora::windows {

// The machine's physical memory in whole megabytes, and the free part in
// percent, each rounded half to even.
struct MemoryFigures
{
    qint64 freeMB = 0;
    qint64 totalMB = 0;
    qint64 percent = 0;
};
// nullopt when the status names no memory at all.
std::optional<MemoryFigures> memoryFigures(const platform::MemoryStatus &status);

// The low-memory window: while it is shown, it stops loading in every tab
// every few seconds. Loading it shows it, always on top and without taking
// the focus; closing it unloads it.
class frmMemSave : public SecondaryWindow
{
    Q_OBJECT
public:
    explicit frmMemSave(Program &program, QWidget *parent = nullptr);

    static constexpr int FirstTickMs = 250;
    static constexpr int TickMs = 3000;

    void Form_Load();
    void Timer1_Timer();
    void Form_Unload();

    QLabel *Label1 = nullptr;
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *Image3 = nullptr;
    QTimer *Timer1 = nullptr;

protected:
    bool Form_QueryUnload() override;
    void closeEvent(QCloseEvent *event) override;
};

} // namespace velmora::windows
