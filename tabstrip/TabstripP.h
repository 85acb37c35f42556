#pragma once

#include "kelvane_export.h"

#include <QVariant>
#include <QWidget>

#include <array>
#include <stdexcept>

class QTabBar;

namespace kelvane {

// A failed call of the control. The host decides whether to go on.
class KELVANE_EXPORT CallError : public std::runtime_error
{
public:
    enum Number {
        SubscriptOutOfRange = 9,
        // an argument that is no number
        TypeMismatch = 13,
        // the inner row has no tab at that position
        IndexOutOfBounds = 35600,
    };
    CallError(Number number, const char *what) : std::runtime_error(what), m_number(number) {}
    Number number() const { return m_number; }

private:
    Number m_number;
};

// A row of tabs addressed by stable logical numbers 0..1000. Numbers are
// given out in increasing order, never reused, and read as not visible once
// removed. Events are emitted synchronously from inside the call that
// caused them; every call may throw CallError.
class KELVANE_EXPORT TabstripP : public QWidget
{
    Q_OBJECT
public:
    // Member identifiers of the control's dispatch interface.
    static constexpr int DispIdTabsPerRow = 0x68030001;
    static constexpr int DispIdTabHighlited = 0x68030002;
    static constexpr int DispIdTabs = 0x68030003;
    static constexpr int DispIdTabVisible = 0x68030004;
    static constexpr int DispIdTabCaption = 0x68030005;
    static constexpr int DispIdValue = 0x68030006;
    static constexpr int DispIdBorderTab = 0x60030014;

    static constexpr int MaxNumber = 1000;

    explicit TabstripP(QWidget *parent = nullptr);
    ~TabstripP() override;

    // Logical number of the selected tab; an invalid variant with none selected.
    QVariant value() const;
    void setValue(const QVariant &number);

    QString tabCaption(const QVariant &index) const;
    void setTabCaption(const QVariant &index, const QString &caption);

    bool tabVisible(const QVariant &index) const;
    void setTabVisible(const QVariant &index, bool visible);

    // One more than the logical number of the last tab in the row.
    QVariant tabs() const;
    void setTabs(const QVariant &n);

    bool tabHighlited(const QVariant &index) const;
    void setTabHighlited(const QVariant &index, bool on);

    int TabsPerRow() const;
    void setTabsPerRow(int ignored);

    // Logical number of the last tab that still begins within the row's
    // width from the tab of index; -1 when not even that tab does.
    QVariant borderTab(int &index) const;

    // The inner row.
    QTabBar *Tabstrip1() const;

    // Changes whenever a tab is added or removed, so a host that keeps counts
    // or maps of the row knows when they must be read again.
    quint32 revision() const { return m_revision; }

signals:
    void change();
    void click();
    void mouseDown(int Button, int Shift, float x, float y);
    // A property whose value the container may show changed.
    void propertyChanged(const QString &name);

protected:
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    class Row;
    int checkedIndex(const QVariant &index) const;
    int checkedPosition(int logical) const;
    void appendTab();
    void removeNumber(int logical);
    int tabUnder(double x) const;
    void innerClick();
    void rowSelectionMoved(int rowIndex);

    Row *m_row = nullptr;
    std::array<qint16, MaxNumber + 1> m_logToPhys{};
    std::array<qint16, MaxNumber + 1> m_physToLog{};
    std::array<bool, MaxNumber + 1> m_removed{};
    qint16 m_removedCount = 0;
    quint32 m_revision = 0;
    // While above zero, the row's own selection moves (append, removal) are not clicks.
    int m_quiet = 0;
};

} // namespace kelvane
