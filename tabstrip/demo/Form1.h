#pragma once

#include <QWidget>

class QLineEdit;

namespace kelvane {

class TabstripP;

class Form1 : public QWidget
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);

private:
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    int nextVisibleTab(int after) const;

    TabstripP *m_tabstrip = nullptr;
    QLineEdit *m_text = nullptr;
};

} // namespace kelvane
