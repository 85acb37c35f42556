#pragma once

namespace velmora::platform {

// Windows a page opens by itself, with no click of the user behind them, are
// let through up to a bound per page load, so that a page cannot flood the
// program with windows. Windows the user asked for always pass.
class PopupGate
{
public:
    static constexpr int PerPageLoad = 10;

    // A new page load of the control starts its count again.
    void newPage()
    {
        m_opened = 0;
        m_told = false;
    }
    // False: the window is refused.
    bool admit(bool userGesture)
    {
        if (userGesture)
            return true;
        if (m_opened >= PerPageLoad)
            return false;
        ++m_opened;
        return true;
    }
    // True at the first refusal of a page load only.
    bool takeNotice()
    {
        const bool first = !m_told;
        m_told = true;
        return first;
    }

private:
    int m_opened = 0;
    bool m_told = false;
};

} // namespace velmora::platform
